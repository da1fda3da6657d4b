#include "app/about_dialog.h"

#include "jobs/core/program_storage.h"

#include <QAudioOutput>
#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <fstream>
#include <system_error>

namespace valmuri {

namespace {
QString qtext(const TranslationTable& texts, int n)
{
    return QString::fromStdString(texts[n]);
}
} // namespace

AboutDialog::AboutDialog(const TranslationTable& texts, std::filesystem::path sound_folder, QWidget* parent)
    : QDialog(parent), sound_file_(std::move(sound_folder) / "rock.wav")
{
    setObjectName("form_sobre");
    setWindowTitle(qtext(texts, 175));
    setFixedSize(429, 318);
    setStyleSheet(QStringLiteral("QDialog#form_sobre { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                                 "stop:0 rgb(255,255,255), stop:1 rgb(205,226,255)); }"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 14);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(4);
    QFont bold = font();
    bold.setBold(true);
    int row = 0;
    auto add = [&](const char* name, const QString& text, bool strong) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        if (strong)
            label->setFont(bold);
        grid->addWidget(label, row++, 0);
        return label;
    };
    add("a01", qtext(texts, 167), true);
    add("a02", qtext(texts, 168), false);
    add("a03", qtext(texts, 169), false);
    add("a04", qtext(texts, 170), false);
    add("a05", qtext(texts, 174), true);
    add("a06", qtext(texts, 251), false);
    add("a07", qtext(texts, 172), true);
    QString site = qtext(texts, 252);
    QString mail = qtext(texts, 253);
    auto link = [](const QString& target, const QString& text) {
        return QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), text.toHtmlEscaped());
    };
    add("a08", link(site, site), false);
    add("a09", qtext(texts, 171), true);
    add("a10", link(QStringLiteral("mailto:") + mail, mail), false);
    for (const char* name : {"a08", "a10"}) {
        auto* label = findChild<QLabel*>(name);
        label->setTextFormat(Qt::RichText);
        connect(label, &QLabel::linkActivated, this, [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    }
    layout->addLayout(grid);
    layout->addStretch();
    auto* ok = new QPushButton(qtext(texts, 43), this);
    ok->setObjectName("btok");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

AboutDialog::~AboutDialog()
{
    stop_sound();
}

void AboutDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    start_sound();
}

void AboutDialog::hideEvent(QHideEvent* event)
{
    stop_sound();
    QDialog::hideEvent(event);
}

void AboutDialog::start_sound()
{
    if (player_)
        return;
    // Any failure here only leaves the box silent.
    auto storage = jobs::program_storage();
    auto bytes = storage.item(std::size_t(jobs::ProgramItem::RockWav)).extract();
    if (!bytes || bytes->empty())
        return;
    {
        std::ofstream out(sound_file_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes->data()), std::streamsize(bytes->size()));
        if (!out)
            return;
    }
    // Without a sound device no player is made at all: a media back end
    // missing its parts may not survive being asked to play.
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    player_ = new QMediaPlayer(this);
    output_ = new QAudioOutput(this);
    player_->setAudioOutput(output_);
    player_->setLoops(QMediaPlayer::Infinite);
    player_->setSource(QUrl::fromLocalFile(QString::fromStdString(sound_file_.string())));
    player_->play();
}

void AboutDialog::stop_sound()
{
    if (player_) {
        player_->stop();
        delete player_;
        delete output_;
        player_ = nullptr;
        output_ = nullptr;
    }
    std::error_code ignored;
    std::filesystem::remove(sound_file_, ignored);
}

} // namespace valmuri

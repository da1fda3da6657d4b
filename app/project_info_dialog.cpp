#include "app/project_info_dialog.h"

#include "app/dialog_header.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace valmuri {

namespace {
QString qtext(const TranslationTable& texts, int n)
{
    return QString::fromStdString(texts[n]);
}
QString qstr(const std::string& text)
{
    return QString::fromStdString(text);
}
} // namespace

PieGauge::PieGauge(QWidget* parent) : QWidget(parent)
{
    setFixedSize(72, 72);
}

void PieGauge::set_value(int value)
{
    value_ = std::clamp(value, 0, 100);
    update();
}

void PieGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF circle = QRectF(rect()).adjusted(2, 2, -2, -2);
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(circle);
    if (value_ > 0) {
        painter.setBrush(QColor(0, 128, 255));
        painter.drawPie(circle, 90 * 16, -value_ * 360 * 16 / 100);
    }
}

ProjectInfoDialog::ProjectInfoDialog(const TranslationTable& texts, const ProjectInformation& info,
                                     const ProjectOptions& options, QWidget* parent)
    : QDialog(parent), options_(options)
{
    setObjectName("form_info");
    setWindowTitle(qtext(texts, 26));
    setFixedSize(413, 395);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(make_dialog_header(this, qtext(texts, 26), qtext(texts, 195)));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 6, 12, 0);
    auto* figures = new QHBoxLayout;
    auto add_gauge = [&](const char* name, const char* side_name, const char* side, const char* under_name,
                         const std::string& under, int percent) {
        auto* column = new QGridLayout;
        auto* gauge = new PieGauge(this);
        gauge->setObjectName(name);
        gauge->set_value(percent);
        auto* side_label = new QLabel(QString::fromLatin1(side).replace(QLatin1Char(' '), QLatin1Char('\n')), this);
        side_label->setObjectName(side_name);
        side_label->setAlignment(Qt::AlignCenter);
        auto* under_label = new QLabel(qstr(under), this);
        under_label->setObjectName(under_name);
        under_label->setAlignment(Qt::AlignCenter);
        column->addWidget(side_label, 0, 0);
        column->addWidget(gauge, 0, 1);
        column->addWidget(under_label, 1, 0, 1, 2);
        figures->addLayout(column);
    };
    add_gauge("progress_650", "N01", "CD 650 MB", "g01", info.gauge_650, info.percent_650);
    add_gauge("progress_700", "N02", "CD 700 MB", "g02", info.gauge_700, info.percent_700);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(2);
    const std::pair<const char*, const std::string*> line_texts[] = {
        {"m01", &info.tracks}, {"m02", &info.total}, {"m03", &info.free_650}, {"m04", &info.free_700}};
    for (const auto& [name, text] : line_texts) {
        auto* line = new QLabel(qstr(*text), this);
        line->setObjectName(name);
        lines->addWidget(line);
    }
    figures->addStretch();
    body->addLayout(figures);
    body->addLayout(lines);

    auto* title_label = new QLabel(qtext(texts, 49), this);
    body->addWidget(title_label);
    title_ = new QLineEdit(qstr(cut_cd_title(options.cd_title)), this);
    title_->setObjectName("titulo_cd");
    title_->setMaxLength(16);
    title_label->setBuddy(title_);
    body->addWidget(title_);
    auto* label01 = new QLabel(qtext(texts, 194), this);
    label01->setObjectName("label01");
    body->addWidget(label01);
    comments_ = new QPlainTextEdit(this);
    comments_->setObjectName("comentarios");
    comments_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QStringList comment_texts;
    for (const std::string& line : comment_lines(options.comments))
        comment_texts.append(qstr(line));
    comments_->setPlainText(comment_texts.join(QLatin1Char('\n')));
    label01->setBuddy(comments_);
    body->addWidget(comments_, 1);
    layout->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(12, 6, 12, 0);
    buttons->addStretch();
    auto* ok = new QPushButton(qtext(texts, 43), this);
    ok->setObjectName("btok");
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* close = new QPushButton(qtext(texts, 44), this);
    close->setObjectName("BitBtn1");
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}

ProjectOptions ProjectInfoDialog::edited_options() const
{
    ProjectOptions options = options_;
    options.cd_title = title_->text().toStdString();
    std::vector<std::string> lines;
    for (const QString& line : comments_->toPlainText().split(QLatin1Char('\n')))
        lines.push_back(line.toStdString());
    options.comments = join_comment_lines(lines);
    return options;
}

} // namespace valmuri

#include "app/options_dialog.h"

#include "app/dialog_header.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace valmuri {

namespace {
QString qtext(const TranslationTable& texts, int n)
{
    return QString::fromStdString(texts[n]);
}
} // namespace

OptionsDialog::OptionsDialog(const TranslationTable& texts, const OptionsDialogValues& values, QWidget* parent)
    : QDialog(parent)
{
    setObjectName("form_opcao");
    setWindowTitle(qtext(texts, 28));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->addWidget(make_dialog_header(this, qtext(texts, 28), qtext(texts, 63)));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 6, 12, 0);
    auto* cache_group = new QGroupBox(qtext(texts, 64), this);
    cache_group->setObjectName("label01");
    auto* cache_row = new QHBoxLayout(cache_group);
    cache_ = new QSlider(Qt::Horizontal, cache_group);
    cache_->setObjectName("cache");
    cache_->setRange(kCacheMinMegabytes, kCacheMaxMegabytes);
    cache_->setTickInterval(4);
    cache_->setTickPosition(QSlider::TicksBelow);
    cache_->setPageStep(4);
    cache_->setValue(8);
    cache_size_ = new QLabel(cache_group);
    cache_size_->setObjectName("cache_size");
    cache_size_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("64 MB")) + 8);
    cache_size_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cache_row->addWidget(cache_, 1);
    cache_row->addWidget(cache_size_);
    body->addWidget(cache_group);

    auto add_check = [&](const char* name, int n) {
        auto* check = new QCheckBox(qtext(texts, n), this);
        check->setObjectName(name);
        body->addWidget(check);
        return check;
    };
    protection_ = add_check("c_protection", 65);
    bandeja_ = add_check("c_bandeja", 66);
    form_ = add_check("c_form", 67);
    grade_ = add_check("c_grade", 68);
    layout->addLayout(body);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(12, 6, 12, 0);
    buttons->addStretch(1);
    auto* ok = new QPushButton(qtext(texts, 43), this);
    ok->setObjectName("btok");
    ok->setDefault(true);
    auto* close = new QPushButton(qtext(texts, 44), this);
    close->setObjectName("btfechar");
    buttons->addWidget(ok);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    cache_->setValue(values.cache_megabytes);
    protection_->setChecked(values.protection);
    bandeja_->setChecked(values.bandeja);
    form_->setChecked(values.form);
    grade_->setChecked(values.grade);
    connect(cache_, &QSlider::valueChanged, this, &OptionsDialog::show_cache_size);
    show_cache_size();

    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

OptionsDialogValues OptionsDialog::values() const
{
    OptionsDialogValues values;
    values.cache_megabytes = cache_->value();
    values.protection = protection_->isChecked();
    values.bandeja = bandeja_->isChecked();
    values.form = form_->isChecked();
    values.grade = grade_->isChecked();
    return values;
}

void OptionsDialog::show_cache_size()
{
    cache_size_->setText(QStringLiteral("%1 MB").arg(cache_->value()));
}

} // namespace valmuri

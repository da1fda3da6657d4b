#pragma once
// The options dialog (Tform_opcao): the cache size and four settings.

#include "app/core/program_settings.h"
#include "app/core/translation_table.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QSlider;

namespace valmuri {

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(const TranslationTable& texts, const OptionsDialogValues& values, QWidget* parent = nullptr);
    // The values shown now.
    OptionsDialogValues values() const;

private:
    void show_cache_size();

    QSlider* cache_ = nullptr;
    QLabel* cache_size_ = nullptr;
    QCheckBox* protection_ = nullptr;
    QCheckBox* bandeja_ = nullptr;
    QCheckBox* form_ = nullptr;
    QCheckBox* grade_ = nullptr;
};

} // namespace valmuri

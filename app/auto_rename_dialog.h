#pragma once
// The auto-rename dialog (Tform_superrenomeacao): texts to remove from the
// selected tracks' disc names (with a replacement), or a text to add at the
// start or the end of them.

#include "app/core/compilation.h"
#include "app/core/translation_table.h"

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace valmuri {

// What the dialog asks for when OK is pressed.
struct AutoRenameRequest {
    enum class Kind { Nothing, Remove, Add };
    Kind kind = Kind::Nothing;
    std::vector<std::string> texts; // Remove: the items of lista_caractere
    std::string replacement;        // Remove: substituir
    std::string add_text;           // Add: text_add
    AutoRenamePlace place = AutoRenamePlace::Start;
};

class AutoRenameDialog : public QDialog {
    Q_OBJECT
public:
    explicit AutoRenameDialog(const TranslationTable& texts, QWidget* parent = nullptr);
    // The request of the active tab; Nothing when that tab has nothing to do.
    AutoRenameRequest request() const;
    // b01: puts caractere's text in the list unless it is there already
    // (a-z folded), then empties caractere.
    void add_text_to_list();

private:
    QTabWidget* page_ = nullptr;
    QLineEdit* caractere_ = nullptr;
    QPushButton* b01_ = nullptr;
    QListWidget* list_ = nullptr;
    QLineEdit* substituir_ = nullptr;
    QLineEdit* text_add_ = nullptr;
    QRadioButton* at_start_ = nullptr;
};

// Applies a request to the rows at indexes (busy window a163 while it runs).
// Returns false when there was nothing to do.
bool apply_auto_rename(QWidget* main_window, const TranslationTable& texts, Compilation& compilation,
                       const std::vector<int>& indexes, const AutoRenameRequest& request);

// The whole command: dialog, then apply_auto_rename on OK.
bool run_auto_rename(QWidget* main_window, const TranslationTable& texts, Compilation& compilation,
                     const std::vector<int>& indexes);

} // namespace valmuri

#pragma once
// The music search window (Tform_buscar): finds the track rows that hold a
// piece of text and points the track list at a chosen result. It is not
// modal; the results are a snapshot of the list at the time of the search.

#include "app/core/translation_table.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace valmuri {

// What the window searches and points at; the main window implements it.
class SearchTarget {
public:
    virtual ~SearchTarget() = default;
    virtual int row_count() const = 0;
    // Row index as the whole row text ("001;name;size;path").
    virtual QString row_text(int index) const = 0;
    // Selects the track the result row names, when the list still holds it
    // at that number with that disc name; otherwise nothing happens.
    virtual void show_result(const QString& row) = 0;
};

// True when text occurs in the row, both upper-cased with the full
// character tables (accented letters fold too).
bool row_holds_text(const QString& row, const QString& text);

class SearchWindow : public QWidget {
    Q_OBJECT
public:
    SearchWindow(const TranslationTable& texts, SearchTarget& target, QWidget* main_window);

    // Captions from the current language (also when the language changes).
    void apply_texts(const TranslationTable& texts);
    void search();
    int result_count() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void result_clicked();
    void show_count(int count);

    SearchTarget& target_;
    QString count_text_;
    QLabel* caption_ = nullptr;
    QLabel* comment_ = nullptr;
    QLabel* name_label_ = nullptr;
    QLineEdit* nome_musica_ = nullptr;
    QPushButton* bt_buscar_ = nullptr;
    QTreeWidget* lista_busca_ = nullptr;
    QProgressBar* progresso_busca_ = nullptr;
    QLabel* total_arquivos_ = nullptr;
};

} // namespace valmuri

#pragma once
// The project-information dialog (Tform_info): two pie gauges of the room
// used on a 650 MB and a 700 MB CD, four lines of figures, and the project's
// CD title and comments, which OK writes back.

#include "app/core/project_information.h"
#include "app/core/project_options.h"
#include "app/core/translation_table.h"

#include <QDialog>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

namespace valmuri {

// A round gauge filled clockwise from the top, 0 ... 100.
class PieGauge : public QWidget {
    Q_OBJECT
public:
    explicit PieGauge(QWidget* parent = nullptr);
    int value() const { return value_; }
    void set_value(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
};

class ProjectInfoDialog : public QDialog {
    Q_OBJECT
public:
    ProjectInfoDialog(const TranslationTable& texts, const ProjectInformation& info, const ProjectOptions& options,
                      QWidget* parent = nullptr);
    // The options with the title and comments as edited.
    ProjectOptions edited_options() const;

private:
    ProjectOptions options_;
    QLineEdit* title_ = nullptr;
    QPlainTextEdit* comments_ = nullptr;
};

} // namespace valmuri

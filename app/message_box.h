#pragma once
// Message boxes titled with the program's title.

#include <QString>

#include <functional>

class QWidget;

namespace valmuri {

inline constexpr const char* kProgramTitle = "Valmuri MP3 1.0a";

// A notice: exclamation icon and one OK button.
void show_notice(QWidget* parent, const QString& text);

// Replaces the modal box for notices (tests record them instead); an empty
// handler restores the box.
using NoticeHandler = std::function<void(QWidget* parent, const QString& text)>;
void set_notice_handler(NoticeHandler handler);

// A question with Yes, No and Cancel and the exclamation icon; closing the
// box is Cancel.
enum class QuestionAnswer { Yes, No, Cancel };
QuestionAnswer ask_question(QWidget* parent, const QString& text);
// Replaces the box for questions (tests answer them); empty restores it.
using QuestionHandler = std::function<QuestionAnswer(QWidget* parent, const QString& text)>;
void set_question_handler(QuestionHandler handler);

} // namespace valmuri

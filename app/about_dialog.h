#pragma once
// The About box (Tform_sobre): the program's name and version, its author,
// web and mail entries, and the stored sound playing in a loop while shown.

#include "app/core/translation_table.h"

#include <QDialog>
#include <QString>

#include <filesystem>

class QAudioOutput;
class QMediaPlayer;

namespace valmuri {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // The sound is written as rock.wav into sound_folder.
    AboutDialog(const TranslationTable& texts, std::filesystem::path sound_folder, QWidget* parent = nullptr);
    ~AboutDialog() override;
    const std::filesystem::path& sound_file() const { return sound_file_; }
    // Whether a player was started (false without a back end or a sound).
    bool playing() const { return player_ != nullptr; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void start_sound();
    void stop_sound();

    std::filesystem::path sound_file_;
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
};

} // namespace valmuri

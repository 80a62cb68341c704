// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "audio/SystemWaveDevice.h"
#include "common/ProcessExit.h"

namespace kotar::test {

// A control of a window by its id (the object name), or nullptr.
template <typename T = QWidget>
T* Control(const QWidget* root, int id) {
    return root->findChild<T*>(QString::number(id));
}

inline QAbstractButton* Button(const QWidget* root, int id) {
    return Control<QAbstractButton>(root, id);
}
inline QLineEdit* Edit(const QWidget* root, int id) {
    return Control<QLineEdit>(root, id);
}

// Clicks a button the way a user does: nothing happens when it is disabled. False when there
// is no such button.
bool Click(const QWidget* root, int id);
// Replaces the text of an edit by typing it (every key goes through the edit's handlers).
bool Type(const QWidget* root, int id, const QString& text);
// The text of an edit, a button or a label.
QString TextOf(const QWidget* root, int id);
bool IsEnabled(const QWidget* root, int id);
// Enabled flags of the given controls, in order, as "1"/"0" text for readable failures.
QString EnabledOf(const QWidget* root, std::initializer_list<int> ids);
// Queues a left click on the middle of a widget, or a key press and release, the way the window
// system delivers input that was made while the program was busy.
void PostClick(QWidget* widget);
void PostKey(QWidget* widget, Qt::Key key);

// Answers the next modal window that opens (other than the one active when armed): polls
// QApplication::activeModalWidget every 10 ms and calls answer once with it. Arm it before the
// click that opens the window, and assert after that click returns: a failing assertion inside
// answer would leave the window open. Gives up after five seconds.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer);
    ~ModalAnswer();
    bool answered() const { return answered_; }
    // The class name of the window answered, for checks after it closed.
    const QString& window_class() const { return window_class_; }
    const QString& window_title() const { return window_title_; }

private:
    std::function<void(QWidget*)> answer_;
    QWidget* armed_over_;
    std::unique_ptr<QTimer> timer_;
    int polls_left_;
    bool answered_ = false;
    QString window_class_;
    QString window_title_;
};

// A slot WAV file as the phrase dialogs write it: PCM 8000 Hz 16-bit mono, then the message
// text in a LIST/INFO/atrb chunk after the RIFF form (none when the text is empty).
void WriteSlotWav(const std::filesystem::path& path, const std::string& text_utf8,
                  std::size_t sample_count = 800);

// Writes PNG of a window into the build folder's screenshots folder, or into the folder that
// KOTAR_SCREENSHOT_DIR names; the file path.
std::filesystem::path SaveScreenshot(QWidget* window, const std::string& name);

// What keeps a window's controls from being read: visible sibling controls that overlap, as
// "id overlaps id" lines (a group box or frame around the controls it frames is none), and texts
// that do not fit their controls, as "id: text" lines: button, radio and label lines (a label's
// lines as its text breaks them, also when it may wrap), edit contents and group-box titles.
QStringList ClippedTexts(const QWidget* window);

}  // namespace kotar::test

// QTEST_MAIN for a test that plays or records through the system's wave device: the process ends
// without the libraries' exit-time teardown (see kotar::ExitWithoutLibraryTeardown).
#define KOTAR_SOUND_QTEST_MAIN(TestObject)           \
    int main(int argc, char* argv[]) {               \
        const int failures = [&] {                   \
            QApplication app(argc, argv);            \
            app.setAttribute(Qt::AA_Use96Dpi, true); \
            TestObject test;                         \
            return QTest::qExec(&test, argc, argv);  \
        }();                                         \
        kotar::ExitWithoutLibraryTeardown(failures); \
    }

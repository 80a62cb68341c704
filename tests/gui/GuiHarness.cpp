// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuiHarness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "TempDir.h"
#include "common/Cp932.h"

namespace kotar::test {
namespace {

constexpr int kPollIntervalMs = 10;
constexpr int kPollCount = 500;  // five seconds

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(tag[i]));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

bool Click(const QWidget* root, int id) {
    QAbstractButton* button = Button(root, id);
    if (button == nullptr)
        return false;
    button->click();
    return true;
}

void PostClick(QWidget* widget) {
    const QPointF local(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(local);
    QCoreApplication::postEvent(
        widget, new QMouseEvent(QEvent::MouseButtonPress, local, global, Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(
        widget, new QMouseEvent(QEvent::MouseButtonRelease, local, global, Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier));
}

void PostKey(QWidget* widget, Qt::Key key) {
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

bool Type(const QWidget* root, int id, const QString& text) {
    QLineEdit* edit = Edit(root, id);
    if (edit == nullptr)
        return false;
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // QTest::keyClicks knows only ASCII; other characters arrive as key events carrying text,
    // the way an input method delivers them.
    for (QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(edit, ch.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
    }
    return true;
}

QString TextOf(const QWidget* root, int id) {
    QWidget* widget = Control(root, id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    return QString();
}

bool IsEnabled(const QWidget* root, int id) {
    QWidget* widget = Control(root, id);
    return widget != nullptr && widget->isEnabled();
}

QString EnabledOf(const QWidget* root, std::initializer_list<int> ids) {
    QString out;
    for (int id : ids)
        out += IsEnabled(root, id) ? '1' : '0';
    return out;
}

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> answer)
    : answer_(std::move(answer)),
      armed_over_(QApplication::activeModalWidget()),
      timer_(std::make_unique<QTimer>()),
      polls_left_(kPollCount) {
    timer_->setInterval(kPollIntervalMs);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal != armed_over_ && modal->isVisible()) {
            timer_->stop();
            answered_ = true;
            window_class_ = QString::fromLatin1(modal->metaObject()->className());
            window_title_ = modal->windowTitle();
            answer_(modal);
            return;
        }
        if (--polls_left_ <= 0)
            timer_->stop();
    });
    timer_->start();
}

ModalAnswer::~ModalAnswer() = default;

void WriteSlotWav(const std::filesystem::path& path, const std::string& text_utf8,
                  std::size_t sample_count) {
    const std::uint32_t data_bytes = static_cast<std::uint32_t>(sample_count * 2);
    std::vector<std::uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, 4 + (8 + 18) + (8 + data_bytes + (data_bytes & 1)));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 18);
    Put16(out, 1);      // PCM
    Put16(out, 1);      // mono
    Put32(out, 8000);   // samples per second
    Put32(out, 16000);  // bytes per second
    Put16(out, 2);      // block align
    Put16(out, 16);     // bits per sample
    Put16(out, 0);      // no extra format bytes
    PutTag(out, "data");
    Put32(out, data_bytes);
    for (std::size_t i = 0; i < sample_count; ++i)
        Put16(out, static_cast<std::uint16_t>(i * 37));
    if (!text_utf8.empty()) {
        const std::string text = Utf8ToCp932(text_utf8);
        const auto text_bytes = static_cast<std::uint32_t>(text.size());
        const std::uint32_t padded = text_bytes + (text_bytes & 1);
        PutTag(out, "LIST");
        Put32(out, 4 + 8 + padded);
        PutTag(out, "INFO");
        PutTag(out, "atrb");
        Put32(out, text_bytes);
        out.insert(out.end(), text.begin(), text.end());
        if (text_bytes & 1)
            out.push_back(0);
    }
    WriteBytes(path, out);
}

std::filesystem::path SaveScreenshot(QWidget* window, const std::string& name) {
    // The build renders the guide's pictures into a folder of its own.
    const char* target = std::getenv("KOTAR_SCREENSHOT_DIR");
    const char* build = std::getenv("KOTAR_TEST_BIN_DIR");
    std::filesystem::path folder =
        target != nullptr && *target != '\0'
            ? std::filesystem::path(target)
            : std::filesystem::path(build != nullptr ? build : ".") / "screenshots";
    std::filesystem::create_directories(folder);
    std::filesystem::path file = folder / (name + ".png");
    window->grab().save(QString::fromStdString(file.string()), "PNG");
    return file;
}

namespace {

// How a control is named in a finding: its id, else its class.
QString NameOf(const QWidget* widget) {
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// A group box or a plain frame: drawn around sibling controls in dialog templates.
bool IsFrame(const QWidget* widget) {
    return qobject_cast<const QGroupBox*>(widget) != nullptr ||
           QByteArray(widget->metaObject()->className()) == "QFrame";
}

// Pairs of visible children of `parent` that overlap, then the same within the containers among
// them. The children of Qt's composite widgets (scroll areas, spin boxes...) are theirs to
// place. Allowed: a group box or frame around the controls it frames, and a widget marked as
// drawn over its siblings (property "overlay").
void FindOverlaps(const QWidget* window, const QWidget* parent, QStringList& found) {
    std::vector<const QWidget*> children;
    for (const QObject* object : parent->children()) {
        const auto* child = qobject_cast<const QWidget*>(object);
        if (child != nullptr && !child->isWindow() && child->isVisibleTo(window) &&
            !child->geometry().isEmpty() && !child->property("overlay").toBool())
            children.push_back(child);
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            const QRect a = children[i]->geometry();
            const QRect b = children[j]->geometry();
            if (!a.intersects(b))
                continue;
            const bool framed =
                (IsFrame(children[i]) && a.contains(b)) || (IsFrame(children[j]) && b.contains(a));
            if (!framed)
                found << NameOf(children[i]) + QStringLiteral(" overlaps ") + NameOf(children[j]);
        }
    }
    for (const QWidget* child : children) {
        const QByteArray kind = child->metaObject()->className();
        if (kind == "QWidget" || kind == "QGroupBox" || kind == "QFrame")
            FindOverlaps(window, child, found);
    }
}

}  // namespace

QStringList ClippedTexts(const QWidget* window) {
    QStringList clipped;
    FindOverlaps(window, window, clipped);
    for (const QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(window))
            continue;
        const QStyle* style = child->style();
        const QFontMetrics metrics(child->font());
        QString text;
        int room = child->width();
        if (const auto* button = qobject_cast<const QAbstractButton*>(child)) {
            text = button->text();
            if (qobject_cast<const QPushButton*>(child) == nullptr) {
                room -= style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                        style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
            } else {
                room -= 2 * style->pixelMetric(QStyle::PM_ButtonMargin) +
                        (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
            }
        } else if (const auto* label = qobject_cast<const QLabel*>(child)) {
            // Also when it may wrap: Japanese text wraps between any two characters, in the
            // middle of a word, so every line of a label has to fit as it is.
            text = label->text();
        } else if (const auto* edit = qobject_cast<const QLineEdit*>(child)) {
            text = edit->text();
            room -= 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
        } else if (const auto* box = qobject_cast<const QGroupBox*>(child)) {
            text = box->title();
            room -= 20;
        }
        if (text.isEmpty())
            continue;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            QString shown = line.section(QLatin1Char('\t'), 0, 0);
            shown.remove(QLatin1Char('&'));
            if (metrics.horizontalAdvance(shown) > room)
                clipped << child->objectName() + QStringLiteral(": ") + shown;
        }
        if (metrics.height() * (text.count(QLatin1Char('\n')) + 1) > child->height() + 2)
            clipped << child->objectName() + QStringLiteral(" (height): ") + text;
    }
    return clipped;
}

}  // namespace kotar::test

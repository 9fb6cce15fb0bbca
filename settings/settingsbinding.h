#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

namespace gorse {

class SettingsFile;

// The settings file as the main window meets it: the stored bounds place
// the window (brought back onto a screen when they lie off every screen),
// saves write where the window stands, closing saves the bounds when they
// changed, and a failed save is told in one notice that does not block.
class SettingsBinding : public QObject
{
    Q_OBJECT
public:
    // Neither is owned; the window outlives this binding.
    SettingsBinding(QWidget* window, SettingsFile* settings, QObject* parent = nullptr);

    // The window's bounds with its frame.
    static QRect windowBounds(const QWidget* window);
    // Puts the window at bounds (frame included), moved onto the nearest
    // screen when the bounds lie off every screen.
    static void placeWindow(QWidget* window, const QRect& bounds);
    // The work area of the screen the window is on.
    static QRect workArea(const QWidget* window);

    // The window is closing: its bounds are saved if they changed.
    void windowClosing();
    // Shows "Unable to write to ..." unless that notice is still open.
    void showSaveFailure(const QString& message);
    // The notice while it is open (tests).
    QMessageBox* saveFailureBox() const { return m_notice; }

private:
    QWidget* m_window;        // not owned
    SettingsFile* m_settings; // not owned
    QPointer<QMessageBox> m_notice;
};

} // namespace gorse

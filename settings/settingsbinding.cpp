#include "settings/settingsbinding.h"

#include "settings/screenbounds.h"
#include "settings/settingsfile.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace gorse {

SettingsBinding::SettingsBinding(QWidget* window, SettingsFile* settings, QObject* parent)
    : QObject(parent), m_window(window), m_settings(settings)
{
    settings->setBoundsSource([this] { return windowBounds(m_window); });
    connect(settings, &SettingsFile::windowBoundsLoaded, this,
            [this](const QRect& bounds) { placeWindow(m_window, bounds); });
    connect(settings, &SettingsFile::saveFailed, this, &SettingsBinding::showSaveFailure);
}

QRect SettingsBinding::windowBounds(const QWidget* window)
{
    return window->frameGeometry();
}

void SettingsBinding::placeWindow(QWidget* window, const QRect& bounds)
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect placed = ontoScreens(bounds, screens);
    // The frame's share of the bounds, as far as the window system has told.
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const int frameWidth = frame.width() - inner.width();
    const int frameHeight = frame.height() - inner.height();
    window->move(placed.topLeft());
    window->resize(placed.width() - frameWidth, placed.height() - frameHeight);
}

QRect SettingsBinding::workArea(const QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void SettingsBinding::windowClosing()
{
    m_settings->saveAtClose(windowBounds(m_window), workArea(m_window));
}

void SettingsBinding::showSaveFailure(const QString& message)
{
    qWarning("gorse: %s", qPrintable(message));
    if (m_notice)
        return;
    m_notice = new QMessageBox(QMessageBox::Warning, QStringLiteral("Gorse"), message,
                               QMessageBox::Ok, m_window);
    m_notice->setAttribute(Qt::WA_DeleteOnClose);
    m_notice->setWindowModality(Qt::NonModal);
    m_notice->show();
}

} // namespace gorse

#include "windows/thelp.h"

#include "settings/screenbounds.h"

#include <QButtonGroup>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace gorse {

const std::array<Thelp::Page, Thelp::kPageCount> Thelp::kPages{{
    {"gameplay.html", "Game Play"},
    {"scoring.html", "Scoring"},
    {"connecting.html", "Connecting"},
    {"chat.html", "Chat"},
    {"statistics.html", "Statistics"},
    {"options.html", "Options"},
    {"history.html", "Version History"},
}};

Thelp::Thelp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Thelp"));
    setWindowTitle(QStringLiteral("Gorse - Help"));

    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("text_help"));
    m_text->setOpenExternalLinks(true);

    m_buttons = new QButtonGroup(this);
    m_buttons->setExclusive(true);
    auto* column = new QVBoxLayout;
    for (int i = 0; i < kPageCount; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(kPages[i].caption), this);
        button->setObjectName(QStringLiteral("button_page%1").arg(i + 1));
        button->setCheckable(true);
        button->setAutoDefault(false);
        m_buttons->addButton(button, i);
        column->addWidget(button);
    }
    column->addStretch(1);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    column->addWidget(done);
    connect(done, &QPushButton::clicked, this, &QDialog::close);
    connect(m_buttons, &QButtonGroup::idClicked, this, &Thelp::showPage);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(column);
    layout->addWidget(m_text, 1);
    resize(720, 520);
    showPage(0);
}

void Thelp::showPage(int index)
{
    if (index < 0 || index >= kPageCount)
        return;
    m_current = index;
    m_buttons->button(index)->setChecked(true);
    m_text->setSource(QUrl(QStringLiteral("qrc:/help/") + QString::fromLatin1(kPages[index].file)));
}

QPushButton* Thelp::pageButton(int index) const
{
    return qobject_cast<QPushButton*>(m_buttons->button(index));
}

namespace {

// The frame's widths around a window's client area.
QMargins frameMargins(const QWidget* w)
{
    const QRect frame = w->frameGeometry();
    const QRect client = w->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

} // namespace

void Thelp::setVisible(bool visible)
{
    if (visible && !isVisible())
        placeBesideMainWindow();
    else if (!visible && isVisible() && frameGeometry().topLeft() != m_placedAt)
        m_playerPlace = frameGeometry().topLeft();
    QDialog::setVisible(visible);
}

void Thelp::placeBesideMainWindow()
{
    const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    if (!main || !main->isVisible())
        return;
    const QWidget* board = main->findChild<QWidget*>(QStringLiteral("panel_board"));
    const QRect keepClear = board && board->isVisible()
                                ? QRect(board->mapToGlobal(QPoint(0, 0)), board->size())
                                : main->frameGeometry();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    // Before its first showing the window has no frame yet: the main
    // window's tells how large it will be.
    const QMargins frame = frameMargins(this).isNull() ? frameMargins(main) : frameMargins(this);
    const QSize size = this->size().grownBy(frame);

    QRect place;
    if (m_playerPlace) {
        place = QRect(*m_playerPlace, size);
        if (place.intersects(keepClear) || ontoScreens(place, screens) != place) {
            m_playerPlace.reset();
            place = QRect();
        }
    }
    if (!place.isValid()) {
        const QSize smallest = minimumSizeHint().expandedTo(QSize(320, 240)).grownBy(frame);
        place = besideWindow(size, main->frameGeometry(), keepClear, screens, smallest);
    }
    m_placedAt = place.topLeft();
    move(place.topLeft());
    if (place.size() != size)
        resize(place.size().shrunkBy(frame));
}

} // namespace gorse

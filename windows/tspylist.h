#pragma once

#include <QDialog>

class QListWidget;
class QMenu;
class QAction;

namespace gorse {

class ClientSession;

// The spectators present, in a small always-on-top window. The list follows
// the client connection for the whole run, shown or not; the hosting player
// can remove a spy from its context menu.
class Tspylist : public QDialog
{
    Q_OBJECT
public:
    explicit Tspylist(ClientSession* session, QWidget* parent = nullptr);

    QListWidget* listbox_spys() const { return m_list; }
    // "Remove From Game", enabled while this copy hosts the game.
    QAction* popup_kickhim() const { return m_kick; }
    // The item under the pointer at the last mouse move, or -1.
    int itemUnderPointer() const { return m_underPointer; }

    void popup_kickhimClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    ClientSession* m_session; // not owned
    QListWidget* m_list;
    QMenu* m_popup;
    QAction* m_kick;
    int m_underPointer = -1;
    int m_menuItem = -1;
};

} // namespace gorse

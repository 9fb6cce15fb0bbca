#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace gorse {

class Lobby;

// "Gorse Lobby": the player's name, the tables found on the network, an
// address to join, and the buttons that start a game. It shows what the
// lobby core holds and forwards the clicks to it.
class LobbyWindow : public QWidget
{
    Q_OBJECT
public:
    // lobby is not owned.
    explicit LobbyWindow(Lobby* lobby, QWidget* parent = nullptr);

    void button_hostClick();
    void button_joinClick();
    void button_soloClick();

private:
    void tableSelected();
    void recentChosen(int index);
    void showNotice(const QString& text);

    Lobby* m_lobby; // not owned
    QLineEdit* m_name;
    QTableView* m_tables;
    QLabel* m_status;
    QLabel* m_notice;
    QComboBox* m_address;
    QSpinBox* m_port;
    QSpinBox* m_hostPort;
    QPushButton* m_join;
    QPushButton* m_host;
    QPushButton* m_solo;
};

} // namespace gorse

#include "lobby/lobbywindow.h"

#include "lobby/lobby.h"
#include "lobby/tablefinder.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace gorse {

namespace {

QSpinBox* portBox(const QString& name, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(1, 65535);
    box->setValue(kGamePort);
    return box;
}

} // namespace

LobbyWindow::LobbyWindow(Lobby* lobby, QWidget* parent) : QWidget(parent), m_lobby(lobby)
{
    setObjectName(QStringLiteral("LobbyWindow"));
    setWindowTitle(QStringLiteral("Gorse Lobby"));

    m_name = new QLineEdit(lobby->playerName(), this);
    m_name->setObjectName(QStringLiteral("edit_name"));
    m_name->setPlaceholderText(QStringLiteral("Your name at the table"));
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_lobby->setPlayerName(text); });

    m_tables = new QTableView(this);
    m_tables->setObjectName(QStringLiteral("list_tables"));
    m_tables->setModel(lobby->finder()->tables());
    m_tables->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tables->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tables->verticalHeader()->hide();
    m_tables->setWordWrap(false);
    // The columns fit what they show, as tables come and change; the names
    // take the rest.
    m_tables->horizontalHeader()->setSectionResizeMode(TableList::PlayersColumn,
                                                       QHeaderView::Stretch);
    auto fit = [this] {
        for (int c = 0; c < TableList::ColumnCount; ++c) {
            if (c != TableList::PlayersColumn)
                m_tables->resizeColumnToContents(c);
        }
    };
    connect(lobby->finder()->tables(), &TableList::rowsInserted, this, fit);
    connect(lobby->finder()->tables(), &TableList::dataChanged, this, fit);
    connect(m_tables->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LobbyWindow::tableSelected);
    connect(m_tables, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            m_lobby->joinTable(index.row());
    });

    m_status = new QLabel(lobby->finder()->statusText(), this);
    m_status->setObjectName(QStringLiteral("label_status"));
    m_status->setWordWrap(true);
    connect(lobby->finder(), &TableFinder::statusChanged, m_status, &QLabel::setText);

    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("combo_address"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->addItems(lobby->recentAddresses());
    m_address->setCurrentIndex(-1);
    m_address->setEditText(QString());
    m_address->lineEdit()->setPlaceholderText(QStringLiteral("Address of a table"));
    m_address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_address, &QComboBox::activated, this, &LobbyWindow::recentChosen);
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this, &LobbyWindow::button_joinClick);
    m_port = portBox(QStringLiteral("spin_port"), this);
    m_join = new QPushButton(QStringLiteral("Join"), this);
    m_join->setObjectName(QStringLiteral("button_join"));
    connect(m_join, &QPushButton::clicked, this, &LobbyWindow::button_joinClick);

    m_hostPort = portBox(QStringLiteral("spin_hostport"), this);
    m_host = new QPushButton(QStringLiteral("Host a Game"), this);
    m_host->setObjectName(QStringLiteral("button_host"));
    connect(m_host, &QPushButton::clicked, this, &LobbyWindow::button_hostClick);
    m_solo = new QPushButton(QStringLiteral("Solo Game"), this);
    m_solo->setObjectName(QStringLiteral("button_solo"));
    connect(m_solo, &QPushButton::clicked, this, &LobbyWindow::button_soloClick);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("label_notice"));
    m_notice->setWordWrap(true);
    m_notice->setStyleSheet(QStringLiteral("color: #a01010; font-weight: bold;"));
    showNotice(lobby->notice());
    connect(lobby, &Lobby::noticeChanged, this, &LobbyWindow::showNotice);
    // The game runs as its own process now: the lobby is done.
    connect(lobby, &Lobby::gameStarted, this, &QWidget::close);

    auto* nameRow = new QFormLayout;
    nameRow->addRow(QStringLiteral("Your &name:"), m_name);

    auto* joinBox = new QGroupBox(QStringLiteral("Join a game"), this);
    auto* joinLayout = new QVBoxLayout(joinBox);
    joinLayout->addWidget(m_tables, 1);
    joinLayout->addWidget(m_status);
    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(new QLabel(QStringLiteral("Address:"), joinBox));
    addressRow->addWidget(m_address, 1);
    addressRow->addWidget(new QLabel(QStringLiteral("Port:"), joinBox));
    addressRow->addWidget(m_port);
    addressRow->addWidget(m_join);
    joinLayout->addLayout(addressRow);

    auto* otherRow = new QHBoxLayout;
    otherRow->addWidget(m_host);
    otherRow->addWidget(new QLabel(QStringLiteral("on port"), this));
    otherRow->addWidget(m_hostPort);
    otherRow->addStretch(1);
    otherRow->addWidget(m_solo);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_notice);
    layout->addLayout(nameRow);
    layout->addWidget(joinBox, 1);
    layout->addLayout(otherRow);
    resize(720, 440);
}

void LobbyWindow::showNotice(const QString& text)
{
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
}

void LobbyWindow::tableSelected()
{
    const QModelIndexList rows = m_tables->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    if (const auto where = m_lobby->tableAddress(rows.first().row())) {
        m_address->setEditText(where->first);
        m_port->setValue(where->second);
    }
}

void LobbyWindow::recentChosen(int index)
{
    // A remembered "HOST:PORT" is joined as it stands; the port box shows
    // the usual port again so that it does not contradict it.
    if (index >= 0)
        m_port->setValue(kGamePort);
}

void LobbyWindow::button_hostClick()
{
    m_lobby->hostGame(quint16(m_hostPort->value()));
}

void LobbyWindow::button_joinClick()
{
    m_lobby->join(m_address->currentText(), quint16(m_port->value()));
}

void LobbyWindow::button_soloClick()
{
    m_lobby->soloGame();
}

} // namespace gorse

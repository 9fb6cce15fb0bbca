#include "windows/thelp.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace gorse {

const std::array<Thelp::Page, Thelp::kPageCount> Thelp::kPages{{
    {"connecting.html", "Connecting"},
    {"gameplay.html", "Game Play"},
    {"scoring.html", "Scoring"},
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

} // namespace gorse

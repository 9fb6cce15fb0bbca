#include "windows/tphrases.h"

#include "chat/chatinput.h"
#include "settings/settingsfile.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace gorse {

Tphrases::Tphrases(GameOptions* options, SettingsFile* settings, QWidget* parent)
    : QDialog(parent), m_options(options), m_settings(settings)
{
    setObjectName(QStringLiteral("Tphrases"));
    setWindowTitle(QStringLiteral("Gorse - Phrase Buttons "));

    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    for (int n = 1; n <= GameOptions::kPhraseCount; ++n) {
        auto* label = new QLabel(QStringLiteral("Phrase Button %1:").arg(n), this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("phrase%1").arg(n));
        edit->setMaxLength(kPhraseLength);
        edit->setMinimumWidth(260);
        edit->setToolTip(n < GameOptions::kPhraseCount
                             ? QStringLiteral("Sent by phrase button %1; start it with \"/me \" "
                                              "for an action")
                                   .arg(n)
                             : QStringLiteral("Shown on the sound button"));
        edit->setAccessibleName(label->text());
        label->setBuddy(edit);
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(edit, n - 1, 1);
        m_edits[size_t(n - 1)] = edit;
    }
    auto* note = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    note->setObjectName(QStringLiteral("Label13"));
    grid->addWidget(note, GameOptions::kPhraseCount, 0, 1, 2);
    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("button_done"));
    m_done->setToolTip(QStringLiteral("Puts the phrases on the buttons and keeps them"));
    m_done->setDefault(true);
    grid->addWidget(m_done, GameOptions::kPhraseCount + 1, 1, Qt::AlignRight);
    connect(m_done, &QPushButton::clicked, this, &Tphrases::button_doneClick);
}

QLineEdit* Tphrases::phrase(int n) const
{
    return n >= 1 && n <= GameOptions::kPhraseCount ? m_edits[size_t(n - 1)] : nullptr;
}

void Tphrases::PrhaseList1Click()
{
    for (size_t i = 0; i < m_edits.size(); ++i) {
        m_edits[i]->setText(m_options->phrase(int(i) + 1));
        m_shown[i] = m_edits[i]->text(); // cut to the edit's length
    }
    show();
    raise();
    activateWindow();
}

void Tphrases::button_doneClick()
{
    for (size_t i = 0; i < m_edits.size(); ++i) {
        if (m_edits[i]->text() != m_shown[i])
            m_options->setPhrase(int(i) + 1, m_edits[i]->text());
    }
    const QString error = m_settings ? m_settings->savePhrases() : QString();
    if (error.isEmpty()) {
        accept();
        return;
    }
    // The phrases are on the buttons; the editor stays for another try.
    if (!m_notice) {
        m_notice = new QMessageBox(QMessageBox::Warning, QStringLiteral("Gorse"), error,
                                   QMessageBox::Ok, this);
        m_notice->setAttribute(Qt::WA_DeleteOnClose);
        m_notice->setWindowModality(Qt::NonModal);
        m_notice->show();
    }
}

} // namespace gorse

#pragma once

#include "settings/gameoptions.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <array>

class QLabel;
class QLineEdit;

class QPushButton;

namespace gorse {

class SettingsFile;

// The phrase editor "Gorse - Phrase Buttons ": the ten phrases behind the
// main window's phrase buttons, each at most 50 characters. Opening fills
// the edits from the options; "Done" applies them and stores them in the
// settings file; closing it any other way leaves everything as it was.
// A phrase whose edit still shows what it showed at opening is left as it
// is, so a stored phrase longer than an edit holds keeps its whole text.
class Tphrases : public QDialog
{
    Q_OBJECT
public:
    // Neither is owned; without a settings file nothing is stored.
    Tphrases(GameOptions* options, SettingsFile* settings, QWidget* parent = nullptr);

    // View > "Phrase List": fills the edits and shows the editor.
    void PrhaseList1Click();
    // Applies the phrases and stores them; on a failed write the notice
    // "Unable to write to ..." shows and the editor stays open.
    void button_doneClick();

    QLineEdit* phrase(int n) const; // phrase1..phrase10
    QPushButton* button_done() const { return m_done; }
    // The notice of a failed write while it is open (tests).
    QMessageBox* failureBox() const { return m_notice; }

private:
    GameOptions* m_options;   // not owned
    SettingsFile* m_settings; // not owned, may be null
    std::array<QLineEdit*, GameOptions::kPhraseCount> m_edits{};
    // What each edit showed when the editor opened.
    std::array<QString, GameOptions::kPhraseCount> m_shown;
    QPushButton* m_done;
    QPointer<QMessageBox> m_notice;
};

} // namespace gorse

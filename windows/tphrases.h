#pragma once

#include <QDialog>

namespace gorse {

// Created at start-up and kept hidden until shown.
class Tphrases : public QDialog
{
    Q_OBJECT
public:
    explicit Tphrases(QWidget* parent = nullptr);
};

} // namespace gorse

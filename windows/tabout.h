#pragma once

#include <QDialog>

namespace gorse {

// Created at start-up and kept hidden until shown.
class Tabout : public QDialog
{
    Q_OBJECT
public:
    explicit Tabout(QWidget* parent = nullptr);
};

} // namespace gorse

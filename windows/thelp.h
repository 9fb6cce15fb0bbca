#pragma once

#include <QDialog>

namespace gorse {

// Created at start-up and kept hidden until shown.
class Thelp : public QDialog
{
    Q_OBJECT
public:
    explicit Thelp(QWidget* parent = nullptr);
};

} // namespace gorse

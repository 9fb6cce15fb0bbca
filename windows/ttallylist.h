#pragma once

#include <QDialog>

namespace gorse {

// Created at start-up and kept hidden until shown.
class Ttallylist : public QDialog
{
    Q_OBJECT
public:
    explicit Ttallylist(QWidget* parent = nullptr);
};

} // namespace gorse

#pragma once

#include <QDialog>

namespace gorse {

// Created at start-up and kept hidden until shown.
class Tdownload : public QDialog
{
    Q_OBJECT
public:
    explicit Tdownload(QWidget* parent = nullptr);
};

} // namespace gorse

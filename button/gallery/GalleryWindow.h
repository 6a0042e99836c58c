// The gallery: the button in every frame style and state, its lettering, caption places and
// directions, and a live row to try the keyboard, the menu and drag and drop.
#pragma once

#include <QWidget>

class QLabel;
class PlinthBtn;

class GalleryWindow : public QWidget {
    Q_OBJECT

public:
    explicit GalleryWindow(QWidget* parent = nullptr);

    // Draws the state sheet from real buttons; needs the window shown and active so the
    // focused column shows the focus.
    void fillStateSheet();

private:
    QWidget* makeStateSheet();
    QWidget* makeLettering();
    QWidget* makeLayouts();
    QWidget* makeLiveRow();
    void log(const QString& line);

    std::vector<QLabel*> m_sheetCells;
    QWidget* m_sheetStage = nullptr; // where the sheet's buttons are posed
    QLabel* m_log = nullptr;
};

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

    // Draws the state sheet from real buttons; again once the window is active, when the
    // focused column can show the focus.
    void fillStateSheet();
    // Where the live row's buttons are on the screen, one "name x y width height" line each,
    // for scripts that drive the gallery.
    QStringList liveGeometry() const;

protected:
    void changeEvent(QEvent* e) override;

private:
    QWidget* makeStateSheet();
    QWidget* makeLettering();
    QWidget* makeLayouts();
    QWidget* makeLiveRow();
    void log(const QString& line);

    std::vector<QLabel*> m_sheetCells;
    QWidget* m_sheetStage = nullptr; // where the sheet's buttons are posed
    QLabel* m_log = nullptr;
    bool m_sheetFocused = false;
};

#pragma once

#include <QRect>
#include <QSize>

// Where the main window's five parts stand. At the reference size, with the reference font,
// exactly the reference layout; beyond it the two lists take the space, and the grid (whose
// host column widens) a quarter of the width, growing or shrinking with the window.
struct ConsoleLayout {
    QRect strip;     // status strip, top left
    QRect status;    // display switch and log state, top right
    QRect trace;     // trace list
    QRect operation; // operation list
    QRect grid;      // logger grid

    static constexpr QSize kReferenceArea{850, 633};
    // The reference sizes of the parts that can need more at a larger font.
    static constexpr int kGridWidth = 297;
    static constexpr int kStripHeight = 49;
    static constexpr int kStatusHeight = 65;

    // What the parts need at the current font beyond the reference: the grid's width, and
    // the two top boxes' heights.
    struct Needs {
        int gridWidth = kGridWidth;
        int stripHeight = kStripHeight;
        int statusHeight = kStatusHeight;
    };

    // The area the window asks for: the reference, widened and heightened by the needs.
    static QSize preferredArea(const Needs &needs);
    // The smallest area in which every part keeps a usable size.
    static QSize minimumArea(const Needs &needs);
    static ConsoleLayout place(QSize area, const Needs &needs);
};

#pragma once

// Where the main window's controls stand, in twips of the client area, and how they follow a
// change of its size. Pure arithmetic: Form1 applies the result to its widgets.
class Form1Layout {
public:
    struct Box {
        float left, top, width, height;
    };

    // The design values at the design client size of 10770 x 10545 twips.
    static constexpr float DesignWidth = 10770;
    static constexpr float DesignHeight = 10545;

    Box Command2{9240, 120, 1215, 255};
    Box Text2{8160, 120, 1095, 285};
    Box Combo1{6960, 120, 1215, 315};
    Box ProgressBar1{6960, 480, 3375, 255};
    Box Text1{840, 720, 5295, 315};
    Box Command1{3480, 3840, 1215, 615};
    Box StatusBar1{0, 10290, 10770, 255};
    Box WebBrowser1{0, 1080, 6255, 3015};
    Box Toolbar1{0, 0, 10770, 600};
    Box Label1{0, 720, 735, 255};

    // The toolbar and the status bar follow the client area by their alignment alone.
    void align(float W, float H);
    // The window's resize rule, W and H the client size in twips. A step that would give a
    // negative size is skipped; that control keeps its size until a later resize succeeds.
    void Form_Resize(float W, float H);
};

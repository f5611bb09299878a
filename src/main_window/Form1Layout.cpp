#include "main_window/Form1Layout.h"

namespace {
// Sizes only; a position may be negative (the GO button is parked off-screen).
void setSize(float &property, float value)
{
    if (value >= 0)
        property = value;
}
} // namespace

void Form1Layout::align(float W, float H)
{
    Toolbar1.width = W;
    StatusBar1.width = W;
    StatusBar1.top = H - StatusBar1.height;
}

void Form1Layout::Form_Resize(float W, float H)
{
    Command1.left = -2500;
    setSize(Text1.width, W - 120 - Text1.left);
    setSize(WebBrowser1.width, W);
    setSize(WebBrowser1.height, H - WebBrowser1.top - StatusBar1.height);
    setSize(ProgressBar1.width, W - ProgressBar1.left - 120);
    Command2.left = W - Command2.width - 120;
    setSize(Text2.width, W - Text2.left - Command2.width - 240);
}

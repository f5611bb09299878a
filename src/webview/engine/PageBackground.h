#pragma once

class QWebEnginePage;

// What the view shows where a page has not painted yet. On a desktop that prefers dark, a dark
// background until a new page is laid out, so that no white flash comes between pages; from then
// on the engine's usual white, under a page that paints no background of its own: no page is
// recoloured.
namespace PageBackground {
void follow(QWebEnginePage *page);
}

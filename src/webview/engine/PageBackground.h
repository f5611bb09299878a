#pragma once

class QWebEnginePage;

// What the view shows where a page has not painted yet. On a desktop that prefers dark, a dark
// background while a page loads, so that no white flash comes between pages; once the page has
// loaded, the engine's usual white again, under a page that paints no background of its own: no
// page is recoloured.
namespace PageBackground {
void follow(QWebEnginePage *page);
}

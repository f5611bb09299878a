#pragma once

class QWebEngineView;

// Save As for a page: asks where and how (the complete page, its HTML only, or one archive
// file), then lets the engine write it.
namespace PageSaver {
void saveAs(QWebEngineView *view);
}

#pragma once

#include <QString>

class QUrl;

// How prompts name a site: its host, with the port when it is not the scheme's usual one.
namespace SiteName {
QString of(const QUrl &url);
}

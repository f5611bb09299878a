#include "webview/Prompter.h"

#include <QtGlobal>

namespace {
Prompter *installed = nullptr;
Prompter::DefaultMaker defaultMaker = nullptr;
} // namespace

Prompter &Prompter::current()
{
    if (installed)
        return *installed;
    if (!defaultMaker)
        qFatal("No prompter: the engine's side of the web view was not installed");
    return defaultMaker();
}

void Prompter::install(Prompter *prompter)
{
    installed = prompter;
}

void Prompter::installDefault(DefaultMaker maker)
{
    defaultMaker = maker;
}

#include "webview/Prompter.h"

#include "webview/ui/DialogPrompter.h"

namespace {
Prompter *installed = nullptr;
}

Prompter &Prompter::current()
{
    static DialogPrompter dialogs;
    return installed ? *installed : dialogs;
}

void Prompter::install(Prompter *prompter)
{
    installed = prompter;
}

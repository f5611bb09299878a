#include "webview/engine/PageSilencer.h"

namespace {
// Questions closer together than this look like a page that asks in a loop.
constexpr qint64 RepeatMs = 3000;
} // namespace

bool PageSilencer::offersToStop() const
{
    return m_sinceLastAnswer.isValid() && m_sinceLastAnswer.elapsed() < RepeatMs;
}

void PageSilencer::answered(bool offered, bool stop)
{
    m_sinceLastAnswer.start();
    if (offered && stop)
        m_silenced = true;
}

void PageSilencer::reset()
{
    m_silenced = false;
    m_sinceLastAnswer.invalidate();
}

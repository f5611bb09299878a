#include "Table.h"

#include <algorithm>
#include <cstdio>

namespace Table {

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printHeader()
{
    printRow(QStringLiteral("Figure"), QStringLiteral("Ours"), QStringLiteral("Baseline"),
             QStringLiteral("Ratio"), QStringLiteral("Target"), QStringLiteral("Met"));
    std::printf("|---|---:|---:|---:|---|---|\n");
    std::fflush(stdout);
}

void printRow(const QString &figure, const QString &ours, const QString &baseline,
              const QString &ratio, const QString &target, const QString &met)
{
    std::printf("| %s | %s | %s | %s | %s | %s |\n", qPrintable(figure), qPrintable(ours),
                qPrintable(baseline), qPrintable(ratio), qPrintable(target), qPrintable(met));
    std::fflush(stdout);
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString ratio(double value)
{
    return number(value, 2);
}

QString ratioWithRange(const QList<double> &ratios)
{
    if (ratios.isEmpty())
        return {};
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    return QStringLiteral("%1 (%2–%3)").arg(ratio(median(ratios)), ratio(*low), ratio(*high));
}

QString verdict(bool met)
{
    return met ? QStringLiteral("yes") : QStringLiteral("**no**");
}

} // namespace Table

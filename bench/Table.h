#pragma once

#include <QList>
#include <QString>

// The one table every bench program prints its rows into: Markdown, so the README can hold it.
namespace Table {
double median(QList<double> values);
// The header, once, before the first row.
void printHeader();
// A figure: ours beside its baseline, their ratio (with its spread over the runs, when given), and
// the target with whether it is met. Empty strings leave a cell blank.
void printRow(const QString &figure, const QString &ours, const QString &baseline,
              const QString &ratio, const QString &target, const QString &met);
// Numbers as the table shows them.
QString number(double value, int decimals);
QString ratio(double value);
// The median ratio and the range of the single runs' ratios: "1.04 (0.97–1.12)".
QString ratioWithRange(const QList<double> &ratios);
QString verdict(bool met);
} // namespace Table

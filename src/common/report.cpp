#include "common/report.h"

ReportSink g_report;

void ReportEntry(int order, const char* text)
{
    if (g_report.entry)
        g_report.entry(order, text);
}

void ReportOutcome(int outcome, const WCHAR* path)
{
    if (g_report.outcome)
        g_report.outcome(outcome, path);
}

void ReportMessage(const char* text, int answer)
{
    if (g_report.message)
        g_report.message(text, answer);
}

void ReportEnd(unsigned exitCode)
{
    if (g_report.end)
        g_report.end(exitCode);
}

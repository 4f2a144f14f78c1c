#pragma once

#include "core/Failure.h"
#include "core/Progress.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Progress that records what a command reports: every position, every text,
// and the texts and yields in the order they came.
class RecordingProgress final : public Progress
{
public:
    std::vector<double> positions;
    QStringList texts;
    QStringList events; // the texts, and "<yield>" for every yield
    int yields = 0;
    int closeAt = -1; // the yield that throws, as a closing window's does
    bool due = true;  // whether a text set now would be shown
    std::function<void(int yieldNumber)> onYield;

    void setPosition(double percent) override { positions.push_back(percent); }
    bool showsTextNow() const override { return due; }
    void setText(const QString &text) override
    {
        texts.append(text);
        events.append(text);
    }
    void yield() override
    {
        events.append(QStringLiteral("<yield>"));
        ++yields;
        if (onYield)
            onYield(yields);
        if (yields == closeAt)
            throw CommandAborted{};
    }

    // The events without the yields inside a pass: every pass's start.
    QStringList passes() const
    {
        QStringList starts;
        for (qsizetype i = 0; i < events.size(); ++i) {
            if (events[i] != u"<yield>" ||
                (i + 1 < events.size() && events[i + 1].startsWith(u"Sorting: ")))
                starts.append(events[i]);
        }
        return starts;
    }
};

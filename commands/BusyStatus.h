#pragma once

#include "commands/CommandContext.h"
#include "commands/WindowPointer.h"
#include "core/Progress.h"

// The status line of a command that loads lines, with the hourglass shown
// again after every yield: a command that ran meanwhile may have put the
// pointer back at rest.
class BusyStatus final : public Progress
{
public:
    explicit BusyStatus(CommandContext &ctx) : m_ctx(ctx) {}

    void setPosition(double percent) override { m_ctx.status.setPosition(percent); }
    void setText(const QString &text) override { m_ctx.status.setText(text); }
    bool showsTextNow() const override { return m_ctx.status.showsTextNow(); }
    void yield() override
    {
        m_ctx.status.yield();
        m_ctx.pointer.set(WindowPointer::Shape::Hourglass);
    }

private:
    CommandContext &m_ctx;
};

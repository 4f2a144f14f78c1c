#include "support/CommandFixture.h"

#include "support/TestLists.h"

using namespace Qt::StringLiterals;

CommandFixture::CommandFixture(SpreadsheetAutomation &automation)
    : ctx{dialogs,      status,     pointer,     content,       results,
          clipboard,    automation, keysChooser, filterChooser, [this] { return selectedOption; },
          u"Tarnveil"_s}
{
    results.setHeader(u"Sorted Content (Results)"_s);
    pointer.onChange = [this](WindowPointer::Shape shape) { pointerShapes.push_back(shape); };
}

void CommandFixture::addResults(const QStringList &rows)
{
    appendMarkedRows(results, rows);
}

void CommandFixture::changeResults(const QString &change, const QStringList &newer)
{
    if (change == u"remove") {
        results.removeAt(0);
        return;
    }
    results.clear();
    if (change == u"refill")
        addResults(newer);
}

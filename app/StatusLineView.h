#pragma once

#include <QProgressBar>
#include <QString>

#include <algorithm>
#include <cmath>

// The window's status line as the user sees it: a progress bar with the
// status text inside. The text is shown as it stands: a format string would
// treat "%p" or "%v" in a row's text as placeholders.
class StatusLineView final : public QProgressBar
{
public:
    using QProgressBar::QProgressBar;

    QString text() const override { return m_text; }
    void display(double percent, const QString &text)
    {
        const int value = static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0) * 100));
        const bool textChanged = m_text != text;
        m_text = text;
        if (value != this->value())
            setValue(value); // repaints
        else if (textChanged)
            update();
    }

private:
    QString m_text;
};

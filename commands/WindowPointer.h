#pragma once

#include <functional>

// The window's mouse pointer, which doubles as the busy flag: the window is
// busy exactly while the pointer is the hourglass.
class WindowPointer
{
public:
    enum class Shape { Default, Hourglass, Custom };

    Shape shape() const { return m_shape; }
    bool busy() const { return m_shape == Shape::Hourglass; }

    void set(Shape shape)
    {
        m_shape = shape;
        if (onChange)
            onChange(shape);
    }

    // Shows the shape on the window.
    std::function<void(Shape)> onChange;

private:
    Shape m_shape = Shape::Default;
};

#pragma once

#include <QObject>

#include <functional>

class QWidget;

/// Calls \a handler whenever the mouse moves over \a widget, with or without a button held
/// (mouse tracking is switched on). The hook lives as long as the widget.
void OnMouseMove(QWidget *widget, std::function<void()> handler);

/// Calls \a handler whenever \a widget receives the keyboard focus.
void OnFocusIn(QWidget *widget, std::function<void()> handler);

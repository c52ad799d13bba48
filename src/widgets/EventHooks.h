#pragma once

#include <QObject>

#include <functional>

class QAbstractButton;
class QFocusEvent;
class QWidget;

/// Calls \a handler whenever the mouse moves over \a widget, with or without a button held
/// (mouse tracking is switched on). The hook lives as long as the widget.
void OnMouseMove(QWidget *widget, std::function<void()> handler);

/// Calls \a handler whenever \a widget receives the keyboard focus.
void OnFocusIn(QWidget *widget, std::function<void()> handler);

/// Calls \a handler whenever \a widget receives or loses the keyboard focus, with the focus event,
/// which tells which of the two and why.
void OnFocusChange(QWidget *widget, std::function<void(const QFocusEvent &)> handler);

/// Enter and Return press \a button while it has the keyboard focus, as Space does. A held key
/// presses it once.
void ClickOnEnter(QAbstractButton *button);

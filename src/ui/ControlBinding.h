#pragma once

#include "core/Controls.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QStatusBar;
class QTabWidget;

// Binds one widget to one control model: the operator's input goes to the model (which
// fires its handler), and every change of the model, by the operator or by the program,
// shows in the widget.
namespace tavrel::binding {

// With a caption label, the model's caption shows there (wrapping when long) and a click
// on it toggles the box like a click on the box.
void bind(QCheckBox *widget, CheckBox &model, QLabel *caption = nullptr);
void bind(QRadioButton *widget, OptionButton &model);
void bind(QPushButton *widget, CommandButton &model);
void bind(QSlider *widget, Slider &model);
void bind(QLineEdit *widget, TextBox &model);
void bind(QLabel *widget, Label &model);
// A label whose text may change on every cycle (the message line at fast polling): a
// change after a quiet spell shows at once, later ones at most once per `intervalMs`, the
// newest text last. The model holds the exact text at every moment; only the redraw waits.
void bindThrottled(QLabel *widget, Label &model, int intervalMs);
// A caption of lines ended by carriage returns (the DED and fault-list texts), shown one
// line under the other; a label breaks lines only at line feeds.
void bindLines(QLabel *widget, Label &model);
void bind(QGroupBox *widget, Frame &model);
void bind(QStatusBar *widget, StatusBar &model);
void bind(QTabWidget *widget, TabStrip &model);

} // namespace tavrel::binding

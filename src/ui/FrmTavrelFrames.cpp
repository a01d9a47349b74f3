// The contents of the window's frames and tabs: every control bound to its model, placed
// inside its frame by a Qt layout (the frames themselves stand at their design twips).
#include "ui/FrmTavrel.h"

#include "ui/ControlBinding.h"
#include "ui/EpicPicture.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tavrel {

namespace {
QString indexed(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

QLabel *placedLabel(const QString &text, QWidget *parent, const QRect &rect)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(rect);
    label->setWordWrap(true);
    return label;
}

// The small design frames leave little room: tight margins keep every caption whole.
template <typename Layout>
Layout *frameLayout(QGroupBox *frame)
{
    auto *layout = new Layout(frame);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(3);
    return layout;
}

// A check box whose caption wraps onto a second line when the frame is narrow; clicking
// the caption clicks the box.
class CaptionClick : public QObject
{
public:
    CaptionClick(QCheckBox *box, QLabel *caption) : QObject(caption), box_(box) { caption->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease && box_->isEnabled())
            box_->click();
        return false;
    }

private:
    QCheckBox *box_;
};

QWidget *captionedCheckBox(CheckBox &model, QWidget *parent, const QString &name)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *box = new QCheckBox(row);
    box->setObjectName(name);
    auto *caption = new QLabel(row);
    caption->setObjectName(name + QStringLiteral("_caption"));
    caption->setWordWrap(true);
    new CaptionClick(box, caption);
    binding::bind(box, model, caption);
    layout->addWidget(box, 0, Qt::AlignTop);
    layout->addWidget(caption, 1);
    return row;
}

constexpr int kMessageRedrawMs = 50;

QLabel *boundLabel(Label &model, QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    binding::bind(label, model);
    return label;
}
} // namespace

void FrmTavrel::buildControlTab()
{
    auto &c = controls_;

    // "Communication": the source choice and the relay address.
    auto *comm = frameLayout<QGridLayout>(frames_[FraCommunication]);
    for (int i = 0; i < 2; ++i) {
        auto *option = new QRadioButton(frames_[FraCommunication]);
        option->setObjectName(indexed("optConnectType", i));
        binding::bind(option, c.optConnectType[std::size_t(i)]);
        comm->addWidget(option, i, 0, 1, 2);
    }
    const std::array<const char *, 2> boxLabels = {"Address:", "Port:"};
    for (int i = 0; i < 2; ++i) {
        auto *box = new QLineEdit(frames_[FraCommunication]);
        box->setObjectName(indexed("fldGlimra", i));
        binding::bind(box, c.fldGlimra[std::size_t(i)]);
        comm->addWidget(new QLabel(QLatin1String(boxLabels[std::size_t(i)]), frames_[FraCommunication]), 2 + i, 0);
        comm->addWidget(box, 2 + i, 1);
    }
    comm->addWidget(new QLabel(QStringLiteral("Message:"), frames_[FraCommunication]), 4, 0);
    // The message line may change twice a cycle at 1 ms polling; redrawn (and laid out, as
    // it wraps) at most every kMessageRedrawMs, it costs the cycle next to nothing.
    auto *message = new QLabel(frames_[FraCommunication]);
    message->setObjectName(QStringLiteral("lblTCPIPMsg"));
    binding::bindThrottled(message, c.lblTCPIPMsg, kMessageRedrawMs);
    message->setWordWrap(true);
    comm->addWidget(message, 4, 1);
    comm->setRowStretch(5, 1);

    // "Lighting Options": screen updates, the lamp test and the lamp brightness.
    auto *lighting = frameLayout<QVBoxLayout>(frames_[FraLightingOptions]);
    for (int i : {0, 1}) {
        lighting->addWidget(
            captionedCheckBox(c.chkGlimra[std::size_t(i)], frames_[FraLightingOptions], indexed("chkGlimra", i)));
    }
    auto *brightnessRow = new QHBoxLayout;
    auto *brightness = new QSlider(Qt::Horizontal, frames_[FraLightingOptions]);
    brightness->setObjectName(indexed("sldGlimra", SldBrightness));
    brightness->setInvertedAppearance(true); // bright by day on the left, dim by night on the right
    binding::bind(brightness, c.sldGlimra[SldBrightness]);
    brightnessRow->addWidget(new QLabel(QStringLiteral("Day"), frames_[FraLightingOptions]));
    brightnessRow->addWidget(brightness, 1);
    brightnessRow->addWidget(new QLabel(QStringLiteral("Night"), frames_[FraLightingOptions]));
    lighting->addLayout(brightnessRow);

    // "Program Control": the polling rate.
    auto *program = frameLayout<QGridLayout>(frames_[FraProgramControl]);
    program->addWidget(new QLabel(QStringLiteral("Polling Timer (milliseconds)"), frames_[FraProgramControl]), 0, 0, 1,
                       2);
    auto *rate = new QSlider(Qt::Horizontal, frames_[FraProgramControl]);
    rate->setObjectName(indexed("sldGlimra", SldPollingRate));
    binding::bind(rate, c.sldGlimra[SldPollingRate]);
    program->addWidget(rate, 1, 0);
    QLabel *rateValue = boundLabel(c.lblTimerValue, frames_[FraProgramControl], QStringLiteral("lblTimerValue"));
    rateValue->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    rateValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    program->addWidget(rateValue, 1, 1);

    // "EPIC Controls": the card's buttons stand at their twips under the check box.
    auto *epic = frameLayout<QVBoxLayout>(frames_[FraEpicControls]);
    epic->addWidget(
        captionedCheckBox(c.chkGlimra[ChkEpicAnyway], frames_[FraEpicControls], indexed("chkGlimra", ChkEpicAnyway)));
    epic->addStretch(1);
    for (const auto &[name, rect, model] : {std::tuple{"btnOpenEpic", layout::kOpenEpic, &c.btnOpenEpic},
                                            std::tuple{"btnCloseEpic", layout::kCloseEpic, &c.btnCloseEpic}}) {
        auto *button = new QPushButton(frames_[FraEpicControls]);
        button->setObjectName(QLatin1String(name));
        binding::bind(button, *model);
        button->setGeometry(pixels(rect));
    }

    // "SIOC/IOCP": present for the cockpits that expect it, with nothing behind it.
    auto *sioc = frameLayout<QGridLayout>(frames_[FraSiocIocp]);
    sioc->addWidget(new QLabel(QStringLiteral("Server IP"), frames_[FraSiocIocp]), 0, 0);
    sioc->addWidget(new QLineEdit(frames_[FraSiocIocp]), 0, 1);
    sioc->addWidget(new QLabel(QStringLiteral("Port:"), frames_[FraSiocIocp]), 1, 0);
    sioc->addWidget(new QLineEdit(frames_[FraSiocIocp]), 1, 1);
    sioc->addWidget(new QPushButton(QStringLiteral("Connect"), frames_[FraSiocIocp]), 2, 0);
    sioc->addWidget(new QPushButton(QStringLiteral("Disconnect"), frames_[FraSiocIocp]), 2, 1);
}

void FrmTavrel::buildTextDisplayFrames()
{
    auto &c = controls_;
    // At the window's 8 points, so the five lines fit the frame's design height.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(8.0);
    for (auto [frame, label] : {std::pair{10, 0}, std::pair{16, 2}}) {
        auto *box = frameLayout<QVBoxLayout>(frames_[std::size_t(frame)]);
        auto *text = new QLabel(frames_[std::size_t(frame)]);
        text->setObjectName(indexed("lblGlimra", label));
        binding::bindLines(text, c.lblGlimra[std::size_t(label)]);
        text->setFont(fixed);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Named after its frame: a label with a name of its own announces no name change
        // with every new text, which would cost the cycle an allocation each time.
        text->setAccessibleName(c.fraGlimra[std::size_t(frame)].caption());
        box->addWidget(text);
    }
}

void FrmTavrel::buildServoFrame()
{
    // "Phidget Servo / G-Suit Beta": the G load and where the two servos stand.
    auto &c = controls_;
    QGroupBox *frame = frames_[FraServo];
    auto *grid = frameLayout<QGridLayout>(frame);
    const std::array<std::pair<int, const char *>, 3> rows = {
        {{15, "G load:"}, {24, "Servo 1 position:"}, {25, "Servo 2 position:"}}};
    for (int row = 0; row < int(rows.size()); ++row) {
        const auto [label, caption] = rows[std::size_t(row)];
        grid->addWidget(new QLabel(QLatin1String(caption), frame), row, 0);
        QLabel *value = boundLabel(c.lblGlimra[std::size_t(label)], frame, indexed("lblGlimra", label));
        value->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")));
        value->setAccessibleName(QLatin1String(caption));
        grid->addWidget(value, row, 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(int(rows.size()), 1);
}

void FrmTavrel::buildEpicTab()
{
    QWidget *epic = page(TabEpic);
    auto *picture = new QLabel(epic);
    picture->setObjectName(QStringLiteral("picEpic"));
    const QRect rect = pixels(layout::kEpicPicture);
    picture->setGeometry(rect);
    picture->setPixmap(epicCardPicture(rect.size(), devicePixelRatioF()));
    QLabel *note = placedLabel(QStringLiteral("Use Configuration File To Change Pigeonhole Numbers Used"), epic,
                               pixels(layout::kEpicNote));
    note->setObjectName(QStringLiteral("lblEpicNote"));
    note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The picture and the note sit below the tab row like the frames do.
    extraPlaced_ = {{picture, layout::kEpicPicture}, {note, layout::kEpicNote}};
}

void FrmTavrel::buildSwitchesTab()
{
    // The gear test: the buttons press the simulator's gear keys, the timer repeats them.
    auto &c = controls_;
    QWidget *switches = page(TabSwitches);
    auto *up = new QPushButton(switches);
    up->setObjectName(QStringLiteral("Command1"));
    binding::bind(up, c.Command1);
    auto *down = new QPushButton(switches);
    down->setObjectName(QStringLiteral("Command2"));
    binding::bind(down, c.Command2);
    auto *timer = new QCheckBox(switches);
    timer->setObjectName(QStringLiteral("Check1"));
    binding::bind(timer, c.Check1);
    extraPlaced_.append({{up, layout::kGearUp}, {down, layout::kGearDown}, {timer, layout::kGearTimerEnabled}});
}

} // namespace tavrel

#include "app/window/widgets_page.hpp"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QVBoxLayout>

#include "app/store/metrics_store.hpp"
#include "app/window/flow_layout.hpp"
#include "app/window/note_label.hpp"
#include "app/window/section_card.hpp"
#include "app/window/text_styles.hpp"
#include "widgets/views/vitals_widget_view.hpp"

namespace vantric {
namespace {

// The conventional system green, sRGB.
const QColor placedGreen(52, 199, 89);

const char* const steps[] = {
    "Start the widget host with **vantric-widget-host**; once Vantric is installed it starts "
    "with your desktop session.",
    "Add a widget with **vantric-widget-host --add cpu**, or **memory**, **gpu** or "
    "**overview**.",
    "Drag a widget where you want it; right-click it and choose **Remove Widget** to take it "
    "away.",
};

const char* const refreshNote =
    "The widget host asks for new figures five minutes after each reading. While Vantric is "
    "open it asks for a refresh every minute. The graph in each widget covers the last hour.";

// A filled circle with a check mark, drawn rather than taken from the icon theme so that it
// takes the marker's green.
class CheckMark : public QWidget {
public:
    explicit CheckMark(QWidget* parent) : QWidget(parent) { setFixedSize(11, 11); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(placedGreen);
        painter.drawEllipse(QRectF(rect()));
        QPainterPath check;
        check.moveTo(3, 5.6);
        check.lineTo(4.8, 7.4);
        check.lineTo(8.2, 3.8);
        painter.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(check);
    }
};

QWidget* numberedStep(int number, const QString& text, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto* badge = new QLabel(QString::number(number), row);
    QFont font = TextStyle::callout();
    font.setWeight(QFont::DemiBold);
    badge->setFont(font);
    badge->setFixedSize(22, 22);
    badge->setAlignment(Qt::AlignCenter);
    QColor accent = row->palette().color(QPalette::Highlight);
    accent.setAlphaF(0.15F);
    badge->setStyleSheet(
        QStringLiteral("background: %1; border-radius: 11px;").arg(accent.name(QColor::HexArgb)));
    auto* label = new QLabel(richInstruction(text), row);
    label->setFont(TextStyle::callout());
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    layout->addWidget(badge, 0, Qt::AlignTop);
    layout->addWidget(label, 1, Qt::AlignVCenter);
    return row;
}

}  // namespace

std::map<std::string, int> countPlaced(const std::vector<std::string>& identifiers) {
    std::map<std::string, int> counts;
    for (const std::string& identifier : identifiers) {
        ++counts[identifier];
    }
    return counts;
}

std::optional<QString> placedMarker(int count) {
    if (count <= 0) {
        return std::nullopt;
    }
    return count == 1 ? QStringLiteral("On desktop")
                      : QStringLiteral("On desktop \u00D7%1").arg(count);
}

QString richInstruction(const QString& text) {
    const QStringList parts = text.split(QStringLiteral("**"));
    QString rich;
    for (qsizetype index = 0; index < parts.size(); ++index) {
        const QString escaped = parts[index].toHtmlEscaped();
        // Odd parts lie between a pair of markers; an unpaired last marker stays plain text.
        const bool bold = index % 2 == 1 && index + 1 < parts.size();
        rich += bold ? QStringLiteral("<b>%1</b>").arg(escaped)
                     : (index % 2 == 1 ? QStringLiteral("**") + escaped : escaped);
    }
    return rich;
}

WidgetsPage::WidgetsPage(MetricsStore& store, std::vector<VitalsWidgetKind> smallKinds,
                         QWidget* parent)
    : LivePage(store, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);

    auto* instructionsCard = new SectionCard(QStringLiteral("Add widgets to your desktop"), this);
    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(14);
    auto* stepsLayout = new QVBoxLayout;
    stepsLayout->setSpacing(8);
    int number = 1;
    for (const char* step : steps) {
        instructions_.append(QString::fromUtf8(step));
        stepsLayout->addWidget(numberedStep(number++, instructions_.back(), content));
    }
    contentLayout->addLayout(stepsLayout);
    note_ = QString::fromUtf8(refreshNote);
    contentLayout->addWidget(new NoteLabel(note_, content));
    instructionsCard->setContent(content);
    layout->addWidget(instructionsCard);

    auto* heading = new QLabel(QStringLiteral("Live preview"), this);
    heading->setFont(TextStyle::headline());
    layout->addWidget(heading);

    auto* previews = new QWidget(this);
    auto* flow = new FlowLayout(24, 20, previews);
    smallKinds.push_back(VitalsWidgetKind::overview);
    for (const VitalsWidgetKind kind : smallKinds) {
        auto* column = new QWidget(previews);
        auto* columnLayout = new QVBoxLayout(column);
        columnLayout->setContentsMargins(0, 0, 0, 0);
        columnLayout->setSpacing(8);
        Block block{.kind = kind, .view = new VitalsWidgetView(kind, column)};
        auto* shadow = new QGraphicsDropShadowEffect(block.view);
        shadow->setColor(QColor(0, 0, 0, 46));
        shadow->setBlurRadius(16);
        shadow->setOffset(0, 3);
        block.view->setGraphicsEffect(shadow);
        columnLayout->addWidget(block.view);

        auto* nameRow = new QHBoxLayout;
        nameRow->setSpacing(6);
        auto* name = new QLabel(widgetName(kind), column);
        name->setFont(TextStyle::headline());
        nameRow->addWidget(name, 0, Qt::AlignVCenter);
        block.marker = new QWidget(column);
        auto* markerLayout = new QHBoxLayout(block.marker);
        markerLayout->setContentsMargins(0, 0, 0, 0);
        markerLayout->setSpacing(3);
        markerLayout->addWidget(new CheckMark(block.marker), 0, Qt::AlignVCenter);
        block.markerText = new QLabel(block.marker);
        block.markerText->setFont(TextStyle::caption());
        TextStyle::setTextColor(*block.markerText, placedGreen);
        markerLayout->addWidget(block.markerText, 0, Qt::AlignVCenter);
        block.marker->hide();
        nameRow->addWidget(block.marker, 0, Qt::AlignVCenter);
        nameRow->addStretch(1);
        columnLayout->addLayout(nameRow);

        auto* description = new NoteLabel(widgetDescription(kind), column);
        description->setFixedWidth(widgetSize(kind).width());
        columnLayout->addWidget(description);
        columnLayout->addStretch(1);
        flow->addWidget(column);
        blocks_.push_back(block);
    }
    // The analyser cannot see that previews owns flow, its layout, from its construction on.
    layout->addWidget(previews);  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)

    placedTimer_.setInterval(placedRefreshMs);
    connect(&placedTimer_, &QTimer::timeout, this, &WidgetsPage::refreshPlaced);
    refresh();
}

const WidgetsPage::Block& WidgetsPage::block(VitalsWidgetKind kind) const {
    for (const Block& candidate : blocks_) {
        if (candidate.kind == kind) {
            return candidate;
        }
    }
    return blocks_.front();
}

const VitalsWidgetView& WidgetsPage::preview(VitalsWidgetKind kind) const {
    return *block(kind).view;
}

std::optional<QString> WidgetsPage::marker(VitalsWidgetKind kind) const {
    const Block& found = block(kind);
    if (found.kind != kind || !found.marker->isVisibleTo(this)) {
        return std::nullopt;
    }
    return found.markerText->text();
}

QStringList WidgetsPage::instructions() const {
    return instructions_;
}

QString WidgetsPage::note() const {
    return note_;
}

void WidgetsPage::refreshPlaced() {
    // The answer comes from the event loop, when the page may be gone.
    store().widgetCenter().requestConfigurations(
        [page = QPointer<WidgetsPage>(this)](const WidgetCenter::Configurations& identifiers) {
            if (page) {
                page->showPlaced(countPlaced(identifiers));
            }
        });
}

void WidgetsPage::showPlaced(const std::map<std::string, int>& placed) {
    // A host that cannot be asked reports nothing placed: every marker goes until it answers.
    for (Block& block : blocks_) {
        const auto found = placed.find(kindIdentifier(block.kind));
        const std::optional<QString> text = placedMarker(found == placed.end() ? 0 : found->second);
        block.markerText->setText(text.value_or(QString()));
        block.marker->setVisible(text.has_value());
    }
}

void WidgetsPage::refresh() {
    const VitalsEntry entry = store().widgetEntry();
    for (Block& block : blocks_) {
        block.view->setEntry(entry);
    }
}

void WidgetsPage::showEvent(QShowEvent* event) {
    LivePage::showEvent(event);
    refreshPlaced();
    placedTimer_.start();
}

void WidgetsPage::hideEvent(QHideEvent* event) {
    LivePage::hideEvent(event);
    placedTimer_.stop();
}

}  // namespace vantric

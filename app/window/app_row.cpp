#include "app/window/app_row.hpp"

#include <utility>

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/store/icon_cache.hpp"
#include "app/window/figure_label.hpp"
#include "app/window/text_styles.hpp"
#include "app/window/top_apps_view.hpp"
#include "core/format.hpp"
#include "widgets/views/locale_symbols.hpp"

namespace vantric {
namespace {

constexpr int verticalPadding = 6;

QFont figureFont(bool emphasised) {
    return TextStyle::figure(TextStyle::body().pixelSize(),
                             emphasised ? QFont::DemiBold : QFont::Normal);
}

bool isBold(const QLabel& label) {
    return label.font().weight() >= QFont::DemiBold;
}

}  // namespace

AppRow::AppRow(QWidget* parent)
    : QWidget(parent),
      icon_(new QLabel(this)),
      name_(new QLabel(this)),
      processes_(new QLabel(this)),
      cpu_(new FigureLabel(this)),
      gpu_(new FigureLabel(this)),
      memory_(new FigureLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, verticalPadding, 0, verticalPadding);
    layout->setSpacing(spacing);

    icon_->setFixedSize(IconCache::logicalSize, IconCache::logicalSize);
    icon_->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon_, 0, Qt::AlignVCenter);

    // The name column takes whatever the figures leave and elides the name to it, so a long
    // name never widens the card.
    auto* text = new QVBoxLayout;
    text->setSpacing(1);
    // Names come from other users' processes: never taken for markup.
    name_->setTextFormat(Qt::PlainText);
    name_->setFont(TextStyle::body());
    name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    processes_->setFont(TextStyle::caption());
    processes_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    processes_->hide();
    text->addWidget(name_);
    text->addWidget(processes_);
    layout->addLayout(text, 1);

    const std::pair<FigureLabel*, int> figures[] = {
        {cpu_, cpuColumnWidth}, {gpu_, gpuColumnWidth}, {memory_, memoryColumnWidth}};
    for (const auto& [label, width] : figures) {
        label->setColumnWidth(width);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFont(figureFont(false));
        layout->addWidget(label, 0, Qt::AlignVCenter);
    }
    updateColors();
}

void AppRow::setApp(const AppUsage& app, AppSort sort) {
    // A bundle's own icon first; else the desktop entry's icon file.
    const auto iconOf = [](const AppUsage& row) {
        return row.bundlePath ? row.bundlePath : row.iconPath;
    };
    if (icon_->pixmap().isNull() || iconOf(app) != iconOf(app_)) {
        icon_->setPixmap(IconCache::shared().icon(iconOf(app)));
    }
    const bool nameChanged = app.name != app_.name;
    app_ = app;
    if (nameChanged) {
        updateName();
    }
    processes_->setVisible(app_.processCount >= 2);
    processes_->setText(QStringLiteral("%1 processes").arg(app_.processCount));
    cpu_->setFont(figureFont(sort == AppSort::cpu));
    gpu_->setFont(figureFont(sort == AppSort::gpu));
    memory_->setFont(figureFont(sort == AppSort::memory));
    updateFigures();
}

QString AppRow::nameText() const {
    return name_->text();
}

bool AppRow::showsProcessLine() const {
    return processes_->isVisibleTo(this);
}

QString AppRow::processText() const {
    return processes_->text();
}

QString AppRow::cpuText() const {
    return cpu_->text();
}

QString AppRow::gpuText() const {
    return gpu_->text();
}

QString AppRow::memoryText() const {
    return memory_->text();
}

bool AppRow::cpuBold() const {
    return isBold(*cpu_);
}

bool AppRow::gpuBold() const {
    return isBold(*gpu_);
}

bool AppRow::memoryBold() const {
    return isBold(*memory_);
}

void AppRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateName();
}

void AppRow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        updateFigures();
    } else if (event->type() == QEvent::PaletteChange) {
        updateColors();
    }
}

void AppRow::updateFigures() {
    const NumberSymbols symbols = currentNumberSymbols();
    cpu_->setText(QString::fromStdString(Format::corePercent(app_.cpu, symbols)));
    gpu_->setText(app_.gpu ? QString::fromStdString(Format::corePercent(*app_.gpu, symbols))
                           : QStringLiteral("\u2013"));
    const ByteText memory = Format::bytes(app_.memory, 2, symbols);
    memory_->setText(QString::fromStdString(memory.number + " " + memory.unit));
}

// Before the first layout the label has no width yet: it shows the whole name until then.
void AppRow::updateName() {
    const QString full = QString::fromStdString(app_.name);
    const int room = name_->width();
    const QString shown =
        room > 0 ? QFontMetrics(name_->font()).elidedText(full, Qt::ElideRight, room) : full;
    name_->setText(shown);
    // Tooltips guess their format as labels do; the name is escaped into rich text that says so.
    name_->setToolTip(
        shown == full
            ? QString()
            : QStringLiteral("<p style='white-space:pre'>%1</p>").arg(full.toHtmlEscaped()));
}

void AppRow::updateColors() {
    TextStyle::setTextColor(*processes_, TextStyle::secondaryText(palette()));
}

}  // namespace vantric

#pragma once

#include <QString>
#include <QWidget>

#include "app/store/process_sample.hpp"

class QLabel;

namespace vantric {

class FigureLabel;

enum class AppSort;

// One line of the top-apps list: icon, name, process count when there are several, and the CPU,
// GPU and memory figures, the one the list is sorted by in semibold. An app no driver gives a GPU
// figure for shows a dash there, never an idle 0.
class AppRow : public QWidget {
    Q_OBJECT

public:
    // Widths of the figure columns, shared with the list's column header so both line up.
    static constexpr int cpuColumnWidth = 80;
    static constexpr int gpuColumnWidth = 64;  // at most "100.0%"
    static constexpr int memoryColumnWidth = 96;
    static constexpr int spacing = 10;

    explicit AppRow(QWidget* parent = nullptr);

    void setApp(const AppUsage& app, AppSort sort);
    const AppUsage& app() const { return app_; }

    QString nameText() const;  // as shown, elided to the room there is
    bool showsProcessLine() const;
    QString processText() const;
    QString cpuText() const;
    QString gpuText() const;
    QString memoryText() const;
    bool cpuBold() const;
    bool gpuBold() const;
    bool memoryBold() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateFigures();
    void updateName();
    void updateColors();

    AppUsage app_;
    QLabel* icon_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* processes_ = nullptr;
    FigureLabel* cpu_ = nullptr;
    FigureLabel* gpu_ = nullptr;
    FigureLabel* memory_ = nullptr;
};

}  // namespace vantric

#pragma once

#include <string>
#include <vector>

#include <QString>

#include "app/store/process_sample.hpp"
#include "app/window/section_card.hpp"

class QButtonGroup;
class QLabel;
class QVBoxLayout;

namespace vantric {

class AppRow;

// In the order the sort control shows its segments.
enum class AppSort { cpu, memory, gpu };

// Also the label of the sort control's segment.
QString appSortLabel(AppSort sort);

// The card of the applications using the most CPU, GPU or memory right now, the first limit of
// them by the chosen key, which a three-segment control switches. Rows keep their widgets by the
// app's id from one reading to the next, so the list every second moves rows instead of rebuilding
// them.
class TopAppsView : public SectionCard {
    Q_OBJECT

public:
    TopAppsView(int limit, AppSort initialSort, QWidget* parent = nullptr);

    // readableProcessCount: the processes whose usage could be read, which the subtitle names.
    void setApps(std::vector<AppUsage> apps, int readableProcessCount);

    AppSort sort() const { return sort_; }
    // What the segmented control does, too.
    void setSort(AppSort sort);
    int limit() const { return limit_; }

    // Stable, so rows equal by the key keep their order from the store. By CPU or GPU, an equal
    // share puts more memory first, and by GPU an app without a figure comes after every app
    // with one; by memory there is no second key. The first limit of them.
    static std::vector<AppUsage> rows(std::vector<AppUsage> apps, AppSort sort, int limit);

    int rowCount() const { return static_cast<int>(slots_.size()); }
    const AppRow& row(int index) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Slot {
        std::string id{};
        QWidget* divider = nullptr;
        AppRow* row = nullptr;
    };

    QWidget* buildSortControl(AppSort initialSort);
    QLabel* headerLabel(const QString& text, QWidget* parent);
    QWidget* buildColumnHeader();
    void colorDivider(QWidget& divider) const;
    void refresh();
    void updateSubtitle();

    int limit_ = 0;
    AppSort sort_ = AppSort::cpu;
    std::vector<AppUsage> apps_;
    int readableProcessCount_ = 0;
    QButtonGroup* sortButtons_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    std::vector<QLabel*> headerLabels_;
    std::vector<Slot> slots_;
};

}  // namespace vantric

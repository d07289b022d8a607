#include "diet/diettreemodel.h"

#include "app/configstore.h"
#include "data/storeddates.h"
#include "diet/dietkeys.h"
#include "diet/dietlog.h"

#include <QRegularExpression>
#include <algorithm>

using namespace DietKeys;

struct DietTreeModel::Node
{
    enum class Kind { Day, Meal, Entry };
    Kind kind = Kind::Day;
    QDate date; // of the day
    QString mealKey;
    qint32 dietId = 0;
    QString caption;
    QString key;
    Node* parent = nullptr; // nullptr for a day
    std::vector<std::unique_ptr<Node>> children;
    bool expanded = false;
    // A day read from the log has entries until it has been opened and found
    // to have none.
    bool mayHaveEntries = true;

    int rowOf(const Node* child) const
    {
        for (int i = 0; i < int(children.size()); ++i) {
            if (children[i].get() == child)
                return i;
        }
        return -1;
    }
    QString tag() const { return kind == Kind::Day ? kDay : kind == Kind::Meal ? kMeal : kEntry; }
    QString imageKey() const
    {
        switch (kind) {
        case Kind::Day:
            return expanded ? QStringLiteral("DayOpen") : QStringLiteral("DayClosed");
        case Kind::Meal:
            return expanded ? QStringLiteral("MealOpen") : QStringLiteral("MealClosed");
        case Kind::Entry:
            break;
        }
        return QStringLiteral("DietItem");
    }
};

// A day of the list; its node is made when it is first needed.
struct DietTreeModel::DaySlot
{
    QDate date;
    std::unique_ptr<Node> node;
};

namespace {

QString dayCaption(const QDate& date)
{
    return date.isValid() ? dayText(date) : DietTreeModel::invalidDayCaption();
}

bool isMealItem(const QString& mealKey)
{
    static const QRegularExpression meal(QStringLiteral("^MEAL[0-9]$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return meal.match(mealKey).hasMatch();
}

} // namespace

DietTreeModel::DietTreeModel(DietLog& log, ConfigStore& config, QObject* parent)
    : QAbstractItemModel(parent), m_log(log), m_config(config)
{
}

DietTreeModel::~DietTreeModel() = default;

int DietTreeModel::dayCount() const
{
    return int(m_days.size());
}

QString DietTreeModel::invalidDayCaption()
{
    return kInvalidDateText;
}

QString DietTreeModel::unknownMealCaption()
{
    return QStringLiteral("(unknown meal)");
}

void DietTreeModel::setImages(std::function<QIcon(const QString&)> images)
{
    m_images = std::move(images);
}

bool DietTreeModel::captionBefore(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

QString DietTreeModel::mealCaption(const QString& mealKey) const
{
    return isMealItem(mealKey) ? m_config.getConfigIfNamed(mealKey) : unknownMealCaption();
}

// ---------------------------------------------------------------------------
// Reading the log

bool DietTreeModel::loadDietDays()
{
    const std::optional<QVector<QDate>> days = m_log.days();
    beginResetModel();
    m_days.clear();
    m_byKey.clear();
    m_highlightKey.clear();
    if (days) {
        m_days.reserve(days->size());
        for (const QDate& date : *days)
            m_days.push_back({date, nullptr});
    }
    endResetModel();
    return days.has_value();
}

bool DietTreeModel::loadDietDay(const QModelIndex& dayIndex)
{
    Node* day = nodeOf(dayIndex);
    if (!day || day->kind != Node::Kind::Day || !day->children.empty())
        return true;
    const std::optional<QList<DietLogEntry>> entries = m_log.dayEntries(day->date);
    if (!entries)
        return false;
    // The children are put together first and shown in one step.
    std::vector<std::unique_ptr<Node>> children;
    QHash<QString, Node*> added;
    auto place = [](std::vector<std::unique_ptr<Node>>& list, std::unique_ptr<Node> node) {
        const auto at = std::upper_bound(list.begin(), list.end(), node->caption,
                                         [](const QString& caption, const std::unique_ptr<Node>& sibling) {
                                             return captionBefore(caption, sibling->caption);
                                         });
        Node* placed = node.get();
        list.insert(at, std::move(node));
        return placed;
    };
    for (const DietLogEntry& entry : *entries) {
        const QString key = entryKey(entry.dietId);
        if (added.contains(key) || m_byKey.contains(key))
            continue;
        Node* parent = day;
        std::vector<std::unique_ptr<Node>>* list = &children;
        if (!entry.mealKey.isEmpty()) {
            const QString mealKey = mealNodeKey(entry.mealKey, day->date);
            Node* meal = added.value(mealKey);
            if (!meal) {
                auto node = std::make_unique<Node>();
                node->kind = Node::Kind::Meal;
                node->date = day->date;
                node->mealKey = entry.mealKey;
                node->caption = mealCaption(entry.mealKey);
                node->key = mealKey;
                node->parent = day;
                meal = place(children, std::move(node));
                added.insert(mealKey, meal);
            }
            parent = meal;
            list = &meal->children;
        }
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Entry;
        node->date = day->date;
        node->dietId = entry.dietId;
        node->caption = entry.foodName;
        node->key = key;
        node->parent = parent;
        added.insert(key, place(*list, std::move(node)));
    }
    day->mayHaveEntries = !children.empty();
    if (children.empty()) {
        // The arrow of a day that turned out empty goes.
        const QModelIndex index = indexOf(day);
        emit dataChanged(index, index);
        return true;
    }
    beginInsertRows(indexOf(day), 0, int(children.size()) - 1);
    day->children = std::move(children);
    for (auto it = added.cbegin(); it != added.cend(); ++it)
        m_byKey.insert(it.key(), it.value());
    endInsertRows();
    return true;
}

// ---------------------------------------------------------------------------
// Finding nodes

int DietTreeModel::rowOfDay(const QDate& date) const
{
    const auto at = std::lower_bound(m_days.begin(), m_days.end(), date,
                                     [](const DaySlot& slot, const QDate& d) { return slot.date < d; });
    return at != m_days.end() && at->date == date ? int(at - m_days.begin()) : -1;
}

DietTreeModel::Node* DietTreeModel::dayAt(int row) const
{
    if (row < 0 || row >= int(m_days.size()))
        return nullptr;
    DaySlot& slot = m_days[row];
    if (!slot.node) {
        slot.node = std::make_unique<Node>();
        slot.node->date = slot.date;
        slot.node->caption = dayCaption(slot.date);
        slot.node->key = dayKey(slot.date);
    }
    return slot.node.get();
}

DietTreeModel::Node* DietTreeModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    auto* parent = static_cast<Node*>(index.internalPointer());
    if (!parent)
        return dayAt(index.row());
    return index.row() < int(parent->children.size()) ? parent->children[index.row()].get() : nullptr;
}

QModelIndex DietTreeModel::indexOf(const Node* node) const
{
    if (!node)
        return QModelIndex();
    if (!node->parent) {
        const int row = rowOfDay(node->date);
        return row < 0 ? QModelIndex() : createIndex(row, 0, nullptr);
    }
    return createIndex(node->parent->rowOf(node), 0, node->parent);
}

QModelIndex DietTreeModel::dayNode(const QDate& date) const
{
    const int row = rowOfDay(date);
    return row < 0 ? QModelIndex() : createIndex(row, 0, nullptr);
}

QModelIndex DietTreeModel::node(const QString& key) const
{
    if (key.startsWith(QLatin1String("DT"))) {
        const QString digits = key.mid(2);
        const QDate date = QDate::fromString(digits, QStringLiteral("yyyyMMdd"));
        if (date.isValid() != !digits.isEmpty())
            return QModelIndex();
        return dayNode(date);
    }
    return indexOf(m_byKey.value(key, nullptr));
}

QString DietTreeModel::key(const QModelIndex& node)
{
    return node.data(KeyRole).toString();
}

QString DietTreeModel::tag(const QModelIndex& node)
{
    return node.data(TagRole).toString();
}

QString DietTreeModel::imageKey(const QModelIndex& node)
{
    return node.data(ImageRole).toString();
}

QString DietTreeModel::caption(const QModelIndex& node)
{
    return node.data(Qt::DisplayRole).toString();
}

QDate DietTreeModel::dateOf(const QModelIndex& index) const
{
    const Node* node = nodeOf(index);
    return node ? node->date : QDate();
}

QString DietTreeModel::mealKeyOf(const QModelIndex& meal) const
{
    const Node* node = nodeOf(meal);
    return node ? node->mealKey : QString();
}

qint32 DietTreeModel::dietIdOf(const QModelIndex& entry) const
{
    const Node* node = nodeOf(entry);
    return node ? node->dietId : 0;
}

// ---------------------------------------------------------------------------
// Changes

QModelIndex DietTreeModel::addDay(const QDate& date)
{
    const auto at = std::lower_bound(m_days.begin(), m_days.end(), date,
                                     [](const DaySlot& slot, const QDate& d) { return slot.date < d; });
    const int row = int(at - m_days.begin());
    beginInsertRows(QModelIndex(), row, row);
    m_days.insert(at, DaySlot{date, nullptr});
    endInsertRows();
    return createIndex(row, 0, nullptr);
}

QModelIndex DietTreeModel::insertChild(Node* parent, std::unique_ptr<Node> child)
{
    // After the last sibling that does not sort after the new caption.
    const auto at = std::upper_bound(parent->children.begin(), parent->children.end(), child->caption,
                                     [](const QString& caption, const std::unique_ptr<Node>& sibling) {
                                         return captionBefore(caption, sibling->caption);
                                     });
    const int row = int(at - parent->children.begin());
    child->parent = parent;
    Node* added = child.get();
    beginInsertRows(indexOf(parent), row, row);
    parent->children.insert(at, std::move(child));
    m_byKey.insert(added->key, added);
    parent->mayHaveEntries = true;
    endInsertRows();
    return createIndex(row, 0, parent);
}

QModelIndex DietTreeModel::addMeal(const QModelIndex& dayIndex, const QString& mealKey)
{
    Node* day = nodeOf(dayIndex);
    if (!day || day->kind != Node::Kind::Day)
        return QModelIndex();
    auto meal = std::make_unique<Node>();
    meal->kind = Node::Kind::Meal;
    meal->date = day->date;
    meal->mealKey = mealKey;
    meal->caption = mealCaption(mealKey);
    meal->key = mealNodeKey(mealKey, day->date);
    return insertChild(day, std::move(meal));
}

QModelIndex DietTreeModel::addEntry(const QModelIndex& parentIndex, qint32 dietId, const QString& foodName)
{
    Node* parent = nodeOf(parentIndex);
    if (!parent || parent->kind == Node::Kind::Entry)
        return QModelIndex();
    auto entry = std::make_unique<Node>();
    entry->kind = Node::Kind::Entry;
    entry->date = parent->date;
    entry->dietId = dietId;
    entry->caption = foodName;
    entry->key = entryKey(dietId);
    return insertChild(parent, std::move(entry));
}

void DietTreeModel::forget(const Node* node)
{
    for (const auto& child : node->children)
        forget(child.get());
    if (node->parent)
        m_byKey.remove(node->key);
    if (node->key == m_highlightKey)
        m_highlightKey.clear();
}

void DietTreeModel::removeNode(const QModelIndex& index)
{
    Node* node = nodeOf(index);
    if (!node)
        return;
    const int row = index.row();
    beginRemoveRows(index.parent(), row, row);
    forget(node);
    if (node->parent)
        node->parent->children.erase(node->parent->children.begin() + row);
    else
        m_days.erase(m_days.begin() + row);
    endRemoveRows();
}

void DietTreeModel::refreshMealCaptions()
{
    QList<Node*> meals;
    for (Node* node : std::as_const(m_byKey)) {
        if (node->kind == Node::Kind::Meal)
            meals << node;
    }
    for (Node* meal : meals) {
        QString caption = mealCaption(meal->mealKey);
        if (caption.isEmpty())
            caption = QStringLiteral("Invalid Meal Name");
        Node* day = meal->parent;
        const int from = day->rowOf(meal);
        meal->caption = caption;
        // Its sorted place among the other children, which keep their order.
        std::unique_ptr<Node> taken = std::move(day->children[from]);
        day->children.erase(day->children.begin() + from);
        const auto at = std::upper_bound(day->children.begin(), day->children.end(), caption,
                                         [](const QString& c, const std::unique_ptr<Node>& sibling) {
                                             return captionBefore(c, sibling->caption);
                                         });
        const int to = int(at - day->children.begin());
        day->children.insert(day->children.begin() + from, std::move(taken));
        const QModelIndex parent = indexOf(day);
        if (to != from && beginMoveRows(parent, from, from, parent, to > from ? to + 1 : to)) {
            std::unique_ptr<Node> moving = std::move(day->children[from]);
            day->children.erase(day->children.begin() + from);
            day->children.insert(day->children.begin() + to, std::move(moving));
            endMoveRows();
        }
        const QModelIndex index = indexOf(meal);
        emit dataChanged(index, index);
    }
}

void DietTreeModel::setExpanded(const QModelIndex& index, bool expanded)
{
    Node* node = nodeOf(index);
    if (!node || node->expanded == expanded)
        return;
    node->expanded = expanded;
    emit dataChanged(index, index, {Qt::DecorationRole, ImageRole});
}

void DietTreeModel::setDropHighlight(const QModelIndex& index, const QBrush& background,
                                     const QBrush& foreground)
{
    const QModelIndex previous = dropHighlight();
    m_highlightKey = key(index);
    m_highlightBackground = background;
    m_highlightForeground = foreground;
    if (previous.isValid() && previous != index)
        emit dataChanged(previous, previous, {Qt::BackgroundRole, Qt::ForegroundRole});
    if (index.isValid())
        emit dataChanged(index, index, {Qt::BackgroundRole, Qt::ForegroundRole});
}

QModelIndex DietTreeModel::dropHighlight() const
{
    return m_highlightKey.isEmpty() ? QModelIndex() : node(m_highlightKey);
}

// ---------------------------------------------------------------------------
// The item model

QModelIndex DietTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid())
        return row < int(m_days.size()) ? createIndex(row, 0, nullptr) : QModelIndex();
    Node* node = nodeOf(parent);
    if (!node || row >= int(node->children.size()))
        return QModelIndex();
    return createIndex(row, 0, node);
}

QModelIndex DietTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return QModelIndex();
    return indexOf(static_cast<Node*>(child.internalPointer()));
}

int DietTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_days.size());
    if (!parent.internalPointer() && !m_days[parent.row()].node)
        return 0; // a day not used yet has no children read
    const Node* node = nodeOf(parent);
    return node ? int(node->children.size()) : 0;
}

int DietTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool DietTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return !m_days.empty();
    if (!parent.internalPointer() && !m_days[parent.row()].node)
        return true;
    const Node* node = nodeOf(parent);
    if (!node || node->kind == Node::Kind::Entry)
        return false;
    return !node->children.empty() || (node->kind == Node::Kind::Day && node->mayHaveEntries);
}

bool DietTreeModel::canFetchMore(const QModelIndex& parent) const
{
    if (!parent.isValid() || parent.internalPointer())
        return false;
    const Node* day = m_days[parent.row()].node.get();
    return !day || (day->children.empty() && day->mayHaveEntries);
}

void DietTreeModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        loadDietDay(parent);
}

QVariant DietTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return QVariant();
    // A day not used yet is drawn from its date alone, without making its node.
    const bool unusedDay =
        !index.internalPointer() && index.row() < int(m_days.size()) && !m_days[index.row()].node;
    const Node* node = unusedDay ? nullptr : nodeOf(index);
    if (!unusedDay && !node)
        return QVariant();
    const Node::Kind kind = node ? node->kind : Node::Kind::Day;
    auto nodeKey = [&] { return node ? node->key : dayKey(m_days[index.row()].date); };
    auto image = [&] { return node ? node->imageKey() : QStringLiteral("DayClosed"); };
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node ? node->caption : dayCaption(m_days[index.row()].date);
    case Qt::DecorationRole:
        return m_images ? QVariant(m_images(image())) : QVariant();
    case KeyRole:
        return nodeKey();
    case TagRole:
        return node ? node->tag() : kDay;
    case ImageRole:
        return image();
    case Qt::AccessibleDescriptionRole:
        // Screen readers tell the levels apart by it.
        return kind == Node::Kind::Day    ? QStringLiteral("day")
               : kind == Node::Kind::Meal ? QStringLiteral("meal")
                                          : QStringLiteral("diet entry");
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
        if (m_highlightKey.isEmpty() || nodeKey() != m_highlightKey)
            return QVariant();
        return role == Qt::BackgroundRole ? m_highlightBackground : m_highlightForeground;
    default:
        return QVariant();
    }
}

QVariant DietTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Diet Activity");
    return QVariant();
}

Qt::ItemFlags DietTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (tag(index) == kEntry)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

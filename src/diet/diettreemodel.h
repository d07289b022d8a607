#pragma once

#include <QAbstractItemModel>
#include <QBrush>
#include <QDate>
#include <QHash>
#include <QIcon>
#include <functional>
#include <memory>
#include <vector>

class ConfigStore;
class DietLog;

// The nodes of the diet tree: the current user's days, their meals, and the
// entries under a meal or directly under their day, with the keys and tags of
// DietKeys. Children sort by caption without regard to case, equal captions in
// the order they were added.
//
// A log of decades has tens of thousands of days, so a day costs nothing but
// its date until it is used: its node is made when it is opened, selected or
// shown expanded, and its meals and entries are read when it is first opened
// (or used as a target, or when a view expands it). Until then every day with
// entries offers an expand arrow.
//
// The tree changes node by node as the diet log's operations say, as the
// original tree control did: a day can stay in the tree after its last entry
// went elsewhere, until the days are read again.
class DietTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role { KeyRole = Qt::UserRole, TagRole, ImageRole };

    DietTreeModel(DietLog& log, ConfigStore& config, QObject* parent = nullptr);
    ~DietTreeModel() override;

    // How an image key ("DayClosed", "MealOpen", "DietItem", ...) becomes a picture.
    void setImages(std::function<QIcon(const QString&)> images);

    // Reads the days of the log afresh; every day starts unopened. False after
    // a (fatal, reported) failure.
    bool loadDietDays();
    // Reads the meals and entries of a day that has no children. False after a
    // failure.
    bool loadDietDay(const QModelIndex& day);

    // The node with a key ("DT20030514", "MLMEAL2DT20030514", "D117"); an
    // invalid index when there is none.
    QModelIndex node(const QString& key) const;
    QModelIndex dayNode(const QDate& date) const;
    int dayCount() const;

    static QString key(const QModelIndex& node);
    static QString tag(const QModelIndex& node);
    static QString imageKey(const QModelIndex& node);
    static QString caption(const QModelIndex& node);
    // The date of the node's day (QDate() for the day of entries without one).
    QDate dateOf(const QModelIndex& node) const;
    // The meal key of a meal node; the entry id of an entry node.
    QString mealKeyOf(const QModelIndex& meal) const;
    qint32 dietIdOf(const QModelIndex& entry) const;

    // Nodes added and removed as the log changes; the keys must be new.
    QModelIndex addDay(const QDate& date);
    QModelIndex addMeal(const QModelIndex& day, const QString& mealKey);
    QModelIndex addEntry(const QModelIndex& parent, qint32 dietId, const QString& foodName);
    // Removes a node with everything under it.
    void removeNode(const QModelIndex& node);

    // The caption of every meal from the configuration ("Invalid Meal Name"
    // for one whose label is now empty).
    void refreshMealCaptions();
    // Shown open or closed (the day and meal pictures follow it).
    void setExpanded(const QModelIndex& node, bool expanded);
    // The node shown as the target of a drag (invalid for none).
    void setDropHighlight(const QModelIndex& node, const QBrush& background, const QBrush& foreground);
    QModelIndex dropHighlight() const;

    // The caption of a day whose entries have no date, and of a meal whose key
    // is none of the configuration's meals.
    static QString invalidDayCaption();
    static QString unknownMealCaption();

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Node;
    struct DaySlot;

    Node* nodeOf(const QModelIndex& index) const;
    Node* dayAt(int row) const;
    int rowOfDay(const QDate& date) const;
    QModelIndex indexOf(const Node* node) const;
    QModelIndex insertChild(Node* parent, std::unique_ptr<Node> child);
    void forget(const Node* node);
    QString mealCaption(const QString& mealKey) const;
    static bool captionBefore(const QString& a, const QString& b);

    DietLog& m_log;
    ConfigStore& m_config;
    std::function<QIcon(const QString&)> m_images;
    mutable std::vector<DaySlot> m_days; // in date order
    QHash<QString, Node*> m_byKey;       // meals and entries
    QString m_highlightKey;
    QBrush m_highlightBackground;
    QBrush m_highlightForeground;
};

#include "widgets/helpwindow.h"

#include "app/appcontext.h"
#include "widgets/programlogo.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

// Resources of a static library are registered by name, from the global namespace.
static void registerHelpResource()
{
    Q_INIT_RESOURCE(help);
}

namespace {
constexpr int kFileRole = Qt::UserRole;
constexpr int kAnchorRole = Qt::UserRole + 1;
} // namespace

const QString HelpWindow::kNoHelpMessage =
    QStringLiteral("Unable to display Help Contents. There is no Help associated with this project.");

void HelpWindow::registerBundledPages()
{
    static const bool registered = [] {
        registerHelpResource();
        return true;
    }();
    Q_UNUSED(registered);
}

HelpWindow* HelpWindow::open(AppContext& context, QWidget* parent, const QString& root)
{
    registerBundledPages();
    QWidget* owner = parent ? parent->window() : nullptr;
    const QList<HelpWindow*> existing =
        owner ? owner->findChildren<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly)
              : QList<HelpWindow*>();
    for (HelpWindow* window : existing) {
        if (window->m_catalogue.root() == root) {
            window->showNormal();
            window->raise();
            window->activateWindow();
            return window;
        }
    }
    const HelpCatalogue catalogue(root);
    if (!catalogue.isValid()) {
        context.prompts().ask({PromptIcon::Information, PromptButtons::Ok, context.appTitle, kNoHelpMessage});
        return nullptr;
    }
    auto* window = new HelpWindow(catalogue, context.appTitle + QStringLiteral(" Help"), owner);
    window->showTopic(catalogue.home());
    window->show();
    window->activateWindow();
    return window;
}

HelpWindow* HelpWindow::showContents(AppContext& context, QWidget* parent, const QString& root)
{
    HelpWindow* window = open(context, parent, root);
    if (window) {
        window->tabs->setCurrentIndex(0);
        window->tvwContents->setFocus();
    }
    return window;
}

HelpWindow* HelpWindow::showSearch(AppContext& context, QWidget* parent, const QString& root)
{
    HelpWindow* window = open(context, parent, root);
    if (window) {
        window->tabs->setCurrentIndex(1);
        window->txtKeyword->selectAll();
        window->txtKeyword->setFocus();
    }
    return window;
}

HelpWindow* HelpWindow::showContext(AppContext& context, QWidget* parent, int contextId, const QString& root)
{
    HelpWindow* window = open(context, parent, root);
    if (window) {
        const HelpTopic* topic = window->m_catalogue.topicForContext(contextId);
        window->showTopic(topic ? topic->file : window->m_catalogue.home());
        window->tabs->setCurrentIndex(0);
    }
    return window;
}

HelpWindow::HelpWindow(const HelpCatalogue& catalogue, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window), m_catalogue(catalogue)
{
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    setWindowIcon(programIcon());

    browser = new QTextBrowser;
    browser->setObjectName(QStringLiteral("rtbHelp"));
    browser->setOpenExternalLinks(true);
    browser->document()->setDefaultStyleSheet(m_catalogue.styleSheet());
    connect(browser, &QTextBrowser::sourceChanged, this, &HelpWindow::sourceChanged);

    tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("tabHelp"));
    tabs->addTab(buildContents(), QStringLiteral("&Contents"));
    tabs->addTab(buildIndex(), QStringLiteral("&Index"));
    tabs->addTab(buildSearch(), QStringLiteral("&Search"));

    auto* bar = new QToolBar;
    bar->setObjectName(QStringLiteral("tbHelp"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    actBack = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Back"));
    actBack->setShortcut(QKeySequence::Back);
    actBack->setEnabled(false);
    connect(actBack, &QAction::triggered, browser, &QTextBrowser::backward);
    connect(browser, &QTextBrowser::backwardAvailable, actBack, &QAction::setEnabled);
    actForward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Forward"));
    actForward->setShortcut(QKeySequence::Forward);
    actForward->setEnabled(false);
    connect(actForward, &QAction::triggered, browser, &QTextBrowser::forward);
    connect(browser, &QTextBrowser::forwardAvailable, actForward, &QAction::setEnabled);
    actHome = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("&Home"));
    connect(actHome, &QAction::triggered, this, [this] {
        showTopic(m_catalogue.home());
        tabs->setCurrentIndex(0);
    });
    bar->addSeparator();
    QAction* close = bar->addAction(QStringLiteral("Close"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs);
    splitter->addWidget(browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({290, 630});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(bar);
    layout->addWidget(splitter, 1);
    resize(920, 600);
}

QWidget* HelpWindow::buildContents()
{
    tvwContents = new QTreeWidget;
    tvwContents->setObjectName(QStringLiteral("tvwContents"));
    tvwContents->setHeaderHidden(true);
    const QIcon book = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon page = style()->standardIcon(QStyle::SP_FileIcon);
    for (const HelpSection& section : m_catalogue.sections()) {
        auto* sectionItem = new QTreeWidgetItem(tvwContents, {section.title});
        sectionItem->setIcon(0, book);
        for (int position : section.topics) {
            const HelpTopic& topic = m_catalogue.topics().at(position);
            auto* topicItem = new QTreeWidgetItem(sectionItem, {topic.title});
            topicItem->setIcon(0, page);
            topicItem->setData(0, kFileRole, topic.file);
        }
    }
    tvwContents->expandAll();
    connect(tvwContents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        // A section opens its first page.
        if (item->data(0, kFileRole).isNull() && item->childCount() > 0)
            item = item->child(0);
        showTopic(item->data(0, kFileRole).toString());
    });
    return tvwContents;
}

QWidget* HelpWindow::buildIndex()
{
    auto* page = new QWidget;
    txtKeyword = new QLineEdit;
    txtKeyword->setObjectName(QStringLiteral("txtKeyword"));
    txtKeyword->setPlaceholderText(QStringLiteral("Type a keyword"));
    txtKeyword->setClearButtonEnabled(true);
    lstKeywords = new QListWidget;
    lstKeywords->setObjectName(QStringLiteral("lstKeywords"));
    auto* display = new QPushButton(QStringLiteral("&Display"));
    display->setObjectName(QStringLiteral("cmdDisplay"));
    connect(txtKeyword, &QLineEdit::textChanged, this, &HelpWindow::fillKeywords);
    connect(txtKeyword, &QLineEdit::returnPressed, this, [this] { showKeyword(lstKeywords->currentItem()); });
    connect(lstKeywords, &QListWidget::itemClicked, this, &HelpWindow::showKeyword);
    connect(lstKeywords, &QListWidget::itemActivated, this, &HelpWindow::showKeyword);
    connect(display, &QPushButton::clicked, this, [this] { showKeyword(lstKeywords->currentItem()); });
    fillKeywords(QString());

    auto* label = new QLabel(QStringLiteral("&Type the first letters of the word you are looking for:"));
    label->setWordWrap(true);
    label->setBuddy(txtKeyword);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(label);
    layout->addWidget(txtKeyword);
    layout->addWidget(lstKeywords, 1);
    layout->addWidget(display, 0, Qt::AlignRight);
    return page;
}

QWidget* HelpWindow::buildSearch()
{
    auto* page = new QWidget;
    txtSearch = new QLineEdit;
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setPlaceholderText(QStringLiteral("Words to find"));
    txtSearch->setClearButtonEnabled(true);
    cmdSearch = new QPushButton(QStringLiteral("&List Topics"));
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    lstResults = new QListWidget;
    lstResults->setObjectName(QStringLiteral("lstResults"));
    connect(txtSearch, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
    connect(cmdSearch, &QPushButton::clicked, this, &HelpWindow::runSearch);
    auto open = [this](QListWidgetItem* item) {
        if (item && !item->data(kFileRole).isNull())
            showTopic(item->data(kFileRole).toString());
    };
    connect(lstResults, &QListWidget::itemClicked, this, open);
    connect(lstResults, &QListWidget::itemActivated, this, open);

    auto* label = new QLabel(QStringLiteral("&Find the pages that contain all of these words:"));
    label->setWordWrap(true);
    label->setBuddy(txtSearch);
    auto* row = new QHBoxLayout;
    row->addWidget(txtSearch, 1);
    row->addWidget(cmdSearch);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(lstResults, 1);
    return page;
}

void HelpWindow::fillKeywords(const QString& text)
{
    const QList<HelpKeyword> matching =
        text.trimmed().isEmpty() ? m_catalogue.keywords() : m_catalogue.keywordsMatching(text);
    QHash<QString, int> uses;
    for (const HelpKeyword& k : m_catalogue.keywords())
        ++uses[k.keyword.toLower()];
    lstKeywords->clear();
    for (const HelpKeyword& k : matching) {
        QString caption = k.keyword;
        // A keyword found on several pages names the page of each entry.
        if (uses.value(k.keyword.toLower()) > 1) {
            if (const HelpTopic* topic = m_catalogue.topic(k.file))
                caption += QStringLiteral(" \u2013 ") + topic->title;
        }
        auto* item = new QListWidgetItem(caption, lstKeywords);
        item->setData(kFileRole, k.file);
        item->setData(kAnchorRole, k.anchor);
    }
    if (lstKeywords->count() > 0)
        lstKeywords->setCurrentRow(0);
}

void HelpWindow::showKeyword(QListWidgetItem* item)
{
    if (item)
        showTopic(item->data(kFileRole).toString(), item->data(kAnchorRole).toString());
}

void HelpWindow::runSearch()
{
    lstResults->clear();
    const QList<const HelpTopic*> found = m_catalogue.topicsContaining(txtSearch->text());
    for (const HelpTopic* topic : found) {
        auto* item = new QListWidgetItem(topic->title, lstResults);
        item->setData(kFileRole, topic->file);
    }
    if (found.isEmpty() && !txtSearch->text().trimmed().isEmpty()) {
        auto* none = new QListWidgetItem(QStringLiteral("No topics found."), lstResults);
        none->setFlags(Qt::NoItemFlags);
    }
}

void HelpWindow::showTopic(const QString& file, const QString& anchor)
{
    if (!m_catalogue.pageExists(file))
        return;
    const QUrl url = m_catalogue.url(file, anchor);
    if (url != browser->source())
        browser->setSource(url);
}

QString HelpWindow::currentFile() const
{
    return browser->source().fileName();
}

void HelpWindow::sourceChanged(const QUrl& url)
{
    // The contents follow the page shown, however it was reached.
    const QString file = url.fileName();
    QTreeWidgetItemIterator it(tvwContents);
    for (; *it; ++it) {
        if ((*it)->data(0, kFileRole).toString() == file) {
            const QSignalBlocker blocker(tvwContents);
            tvwContents->setCurrentItem(*it);
            tvwContents->scrollToItem(*it);
            break;
        }
    }
}

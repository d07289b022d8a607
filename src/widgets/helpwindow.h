#pragma once

#include "app/helpcatalogue.h"

#include <QWidget>

class AppContext;
class QAction;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// The help window: the contents, the keyword index and a search over the
// text of the pages beside the page being read, with back and forward.
// Each window that asks for help gets one help window of its own, which stays
// usable while that window is modal and closes with it.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    // Opens the help at its contents (Help > Contents, the toolbar's Help).
    static HelpWindow* showContents(AppContext& context, QWidget* parent,
                                    const QString& root = HelpCatalogue::kBundledRoot);
    // Opens the keyword index, ready for a keyword (Help > Search For Help On...).
    static HelpWindow* showSearch(AppContext& context, QWidget* parent,
                                  const QString& root = HelpCatalogue::kBundledRoot);
    // Opens the page of a context number, for example
    // HelpCatalogue::kSnapshotContext for the physical snapshot window.
    static HelpWindow* showContext(AppContext& context, QWidget* parent, int contextId,
                                   const QString& root = HelpCatalogue::kBundledRoot);
    // Makes the bundled pages available (done by the functions above).
    static void registerBundledPages();

    static const QString kNoHelpMessage;

    const HelpCatalogue& catalogue() const { return m_catalogue; }
    void showTopic(const QString& file, const QString& anchor = QString());
    // The file name of the page shown.
    QString currentFile() const;

    QTabWidget* tabs = nullptr;
    QTreeWidget* tvwContents = nullptr;
    QLineEdit* txtKeyword = nullptr;
    QListWidget* lstKeywords = nullptr;
    QLineEdit* txtSearch = nullptr;
    QPushButton* cmdSearch = nullptr;
    QListWidget* lstResults = nullptr;
    QTextBrowser* browser = nullptr;
    QAction* actBack = nullptr;
    QAction* actForward = nullptr;
    QAction* actHome = nullptr;

private:
    HelpWindow(const HelpCatalogue& catalogue, const QString& title, QWidget* parent);
    static HelpWindow* open(AppContext& context, QWidget* parent, const QString& root);

    QWidget* buildContents();
    QWidget* buildIndex();
    QWidget* buildSearch();
    void fillKeywords(const QString& text);
    void runSearch();
    void showKeyword(QListWidgetItem* item);
    void sourceChanged(const QUrl& url);

    HelpCatalogue m_catalogue;
};

#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>

// One page of the help.
struct HelpTopic
{
    QString file;    // page file name, for example "purge.html"
    QString title;   // as listed in the contents
    int context = 0; // context number other windows open the page by; 0 for none
};

// An entry of the keyword index: a keyword and the page (and place on it) it leads to.
struct HelpKeyword
{
    QString keyword;
    QString file;
    QString anchor; // "" for the top of the page
};

struct HelpSection
{
    QString title;
    QList<int> topics; // positions in HelpCatalogue::topics()
};

// The help pages of the program and their index: contents.xml in the help
// folder lists the sections of the contents, the pages in reading order with
// their context numbers and keywords, and the home page; help.css is the
// style of every page.
class HelpCatalogue
{
public:
    // The pages bundled with the program.
    static const QString kBundledRoot;
    // The topic of the physical snapshot window.
    static constexpr int kSnapshotContext = 30;

    explicit HelpCatalogue(const QString& root = kBundledRoot);

    // The contents could be read and name a home page that is there.
    bool isValid() const { return m_valid; }
    QString root() const { return m_root; }
    QString home() const { return m_home; }

    const QList<HelpSection>& sections() const { return m_sections; }
    const QList<HelpTopic>& topics() const { return m_topics; }
    const HelpTopic* topic(const QString& file) const;
    const HelpTopic* topicForContext(int context) const;

    // Every keyword in alphabetical order without regard to case.
    const QList<HelpKeyword>& keywords() const { return m_keywords; }
    // The keywords containing text (without regard to case), those starting with it first.
    QList<HelpKeyword> keywordsMatching(const QString& text) const;
    // The pages whose title or text holds every word of words (without regard to
    // case): pages with a word in the title first, then in contents order.
    QList<const HelpTopic*> topicsContaining(const QString& words) const;

    // The address of a page (and a place on it) for a text browser.
    QUrl url(const QString& file, const QString& anchor = QString()) const;
    bool pageExists(const QString& file) const;
    QString pageHtml(const QString& file) const;
    // The text a reader sees on a page: tags removed, entities resolved.
    QString pageText(const QString& file) const;
    QString styleSheet() const;

private:
    bool read(const QString& path);

    QString m_root;
    QString m_home;
    bool m_valid = false;
    QList<HelpSection> m_sections;
    QList<HelpTopic> m_topics;
    QList<HelpKeyword> m_keywords;
    mutable QHash<QString, QString> m_pageText;
};

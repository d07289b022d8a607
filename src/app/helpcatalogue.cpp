#include "app/helpcatalogue.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>

const QString HelpCatalogue::kBundledRoot = QStringLiteral(":/help");

namespace {

QString readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

HelpCatalogue::HelpCatalogue(const QString& root) : m_root(root)
{
    m_valid = read(m_root + QStringLiteral("/contents.xml")) && !m_topics.isEmpty() && pageExists(m_home);
    std::stable_sort(m_keywords.begin(), m_keywords.end(), [](const HelpKeyword& a, const HelpKeyword& b) {
        return a.keyword.compare(b.keyword, Qt::CaseInsensitive) < 0;
    });
}

bool HelpCatalogue::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    HelpSection* section = nullptr;
    HelpTopic* topic = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto name = xml.name();
        if (name == QLatin1String("helpcontents")) {
            m_home = attributes.value(QLatin1String("home")).toString();
        } else if (name == QLatin1String("section")) {
            m_sections.append({attributes.value(QLatin1String("title")).toString(), {}});
            section = &m_sections.last();
            topic = nullptr;
        } else if (name == QLatin1String("topic") && section) {
            m_topics.append({attributes.value(QLatin1String("file")).toString(),
                             attributes.value(QLatin1String("title")).toString(),
                             attributes.value(QLatin1String("context")).toInt()});
            section->topics.append(int(m_topics.size()) - 1);
            topic = &m_topics.last();
        } else if (name == QLatin1String("keyword") && topic) {
            const QString anchor = attributes.value(QLatin1String("anchor")).toString();
            m_keywords.append({xml.readElementText().simplified(), topic->file, anchor});
        }
    }
    return !xml.hasError();
}

const HelpTopic* HelpCatalogue::topic(const QString& file) const
{
    for (const HelpTopic& t : m_topics) {
        if (t.file == file)
            return &t;
    }
    return nullptr;
}

const HelpTopic* HelpCatalogue::topicForContext(int context) const
{
    for (const HelpTopic& t : m_topics) {
        if (context != 0 && t.context == context)
            return &t;
    }
    return nullptr;
}

QList<HelpKeyword> HelpCatalogue::keywordsMatching(const QString& text) const
{
    const QString wanted = text.simplified();
    QList<HelpKeyword> starting;
    QList<HelpKeyword> containing;
    for (const HelpKeyword& k : m_keywords) {
        if (k.keyword.startsWith(wanted, Qt::CaseInsensitive))
            starting << k;
        else if (k.keyword.contains(wanted, Qt::CaseInsensitive))
            containing << k;
    }
    return starting + containing;
}

QList<const HelpTopic*> HelpCatalogue::topicsContaining(const QString& words) const
{
    const QStringList wanted = words.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<const HelpTopic*> inTitle;
    QList<const HelpTopic*> inText;
    if (wanted.isEmpty())
        return inTitle;
    for (const HelpTopic& t : m_topics) {
        const QString text = t.title + QLatin1Char(' ') + pageText(t.file);
        const bool all = std::all_of(wanted.begin(), wanted.end(),
                                     [&](const QString& w) { return text.contains(w, Qt::CaseInsensitive); });
        if (!all)
            continue;
        const bool title = std::any_of(wanted.begin(), wanted.end(), [&](const QString& w) {
            return t.title.contains(w, Qt::CaseInsensitive);
        });
        (title ? inTitle : inText) << &t;
    }
    return inTitle + inText;
}

QUrl HelpCatalogue::url(const QString& file, const QString& anchor) const
{
    QUrl url = m_root.startsWith(QLatin1Char(':'))
                   ? QUrl(QStringLiteral("qrc") + m_root + QLatin1Char('/') + file)
                   : QUrl::fromLocalFile(m_root + QLatin1Char('/') + file);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

bool HelpCatalogue::pageExists(const QString& file) const
{
    return !file.isEmpty() && QFile::exists(m_root + QLatin1Char('/') + file);
}

QString HelpCatalogue::pageHtml(const QString& file) const
{
    return readFile(m_root + QLatin1Char('/') + file);
}

QString HelpCatalogue::pageText(const QString& file) const
{
    auto it = m_pageText.constFind(file);
    if (it != m_pageText.constEnd())
        return *it;
    static const QRegularExpression head(QStringLiteral("<head>.*</head>"),
                                         QRegularExpression::DotMatchesEverythingOption |
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = pageHtml(file);
    text.remove(head);
    text.replace(tag, QStringLiteral(" "));
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&#39;"), QStringLiteral("'"))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    text = text.simplified();
    m_pageText.insert(file, text);
    return text;
}

QString HelpCatalogue::styleSheet() const
{
    return readFile(m_root + QStringLiteral("/help.css"));
}

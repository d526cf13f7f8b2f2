// The US-English word lists the library carries as resources of the type "USDICTIONARY": the
// plain list of each initial ("A".."Z"), its marked list ("A$".."Z$"), its synonym list
// ("ASYN".."ZSYN"), the capitals list "101", the abbreviations "DOTS" and "DOTS2" and the
// filler "ZERO". Lists are Windows-1252 bytes with CR LF between entries.
#pragma once

#include "richtext/language/WordSet.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <memory>

class WordLists {
public:
    // The library's one set: each list is read and converted once, then kept. The resources
    // never change while the library is loaded, so keeping them changes no result.
    static WordLists& instance();

    // The whole list converted to text, trailing NULs included. Use101 takes the capitals
    // list whatever the name. An unknown name raises vb::VbError 326.
    QString LoadDictionaryText(const QString& ResName, bool Use101 = false);
    // LoadDictionaryText(ResName) in small letters, converted once for the probes that search
    // a whole list without regard to case.
    QString LoadLowerCaseText(const QString& ResName);

    // The marked list of the word's initial ("q..." gives "Q$"); "" for an empty word, an
    // initial outside A to Z or a list that cannot be loaded.
    QString GetMarkedWordList(const QString& Word);

private:
    struct List;

public:
    // A list held ready for many lookups: whether its text contains "$" & word & "<" as a
    // substring, answered from an index of its marked entries. A list that failed to load
    // holds nothing.
    class MarkedLookup {
    public:
        MarkedLookup() = default;
        bool contains(QStringView word) const;

    private:
        friend class WordLists;
        explicit MarkedLookup(const List* list) : m_list(list) {}
        const List* m_list = nullptr;
    };
    MarkedLookup markedLookup(const QString& listName);
    bool containsMarked(const QString& listName, const QString& word);

    // The list that holds the word's initial, by name ("A".."Z"), or "" when the upper-cased
    // initial is not A to Z in the Windows-1252 code page; initialLetter gives it as a letter,
    // or 0.
    static QString initialListName(const QString& word);
    static char initialLetter(QStringView word);

private:
    struct List {
        QString text;
        QString lowerText;
        bool lowered = false;
        // Every "$x<" substring whose x holds no "$", "<", CR or LF, by x.
        WordSet marked;
        bool indexed = false;
    };
    List* find(const QString& name);
    // The list by name, or vb::VbError 326.
    List& found(const QString& name);

    QHash<QString, std::shared_ptr<List>> m_lists;
};

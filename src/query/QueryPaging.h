#pragma once

#include <QtGlobal>

// Where the last search stands: how many trades it found, how many pages of how many rows they
// fill and which page is shown. A search whose trades fit on one page is not paged.
class QueryPaging
{
public:
    // Before any search: nothing found, not paged.
    void reset() { *this = QueryPaging(); }
    // A new search that found total trades, shown pageSize at a time from page 1.
    void start(qint64 total, int pageSize);

    qint64 total() const { return m_total; }
    int pageSize() const { return m_pageSize; }
    bool paged() const { return m_pageCount > 0; }
    // -1 while not paged.
    qint64 pageCount() const { return m_pageCount; }
    qint64 currentPage() const { return m_currentPage; }
    // Trades before the current page.
    qint64 offset() const;

    bool hasNext() const { return paged() && m_currentPage < m_pageCount; }
    bool hasPrevious() const { return paged() && m_currentPage > 1; }
    // The page after or before the current one; the caller moves there once it is shown.
    QueryPaging next() const;
    QueryPaging previous() const;

private:
    qint64 m_total = 0;
    int m_pageSize = 0;
    qint64 m_pageCount = -1;
    qint64 m_currentPage = -1;
};

#include "query/QueryPaging.h"

void QueryPaging::start(qint64 total, int pageSize)
{
    reset();
    m_total = total;
    m_pageSize = pageSize;
    if (pageSize > 0 && pageSize < total) {
        m_pageCount = total / pageSize + (total % pageSize != 0 ? 1 : 0);
        m_currentPage = 1;
    }
}

qint64 QueryPaging::offset() const
{
    return paged() ? qint64(m_pageSize) * (m_currentPage - 1) : 0;
}

QueryPaging QueryPaging::next() const
{
    QueryPaging moved = *this;
    if (hasNext()) {
        ++moved.m_currentPage;
    }
    return moved;
}

QueryPaging QueryPaging::previous() const
{
    QueryPaging moved = *this;
    if (hasPrevious()) {
        --moved.m_currentPage;
    }
    return moved;
}

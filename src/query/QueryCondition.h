#pragma once

#include "query/QueryFilters.h"
#include "store/OrderDatabase.h"

// The filters of one search as the condition the order database's statements take.
namespace QueryCondition {

// False with the message for the operator when the filters cannot be searched: an empty search
// value, a customer ID that is no whole number, a weight that is no number or a reversed range.
bool build(const QueryFilters& filters, OrderDatabase::Dialect dialect, OrderDatabase::TradeFilter* filter,
           QString* message);

} // namespace QueryCondition

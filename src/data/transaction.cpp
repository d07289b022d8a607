#include "data/transaction.h"

#include "data/orvdatasource.h"

Transaction::Transaction(OrvDataSource& dataSource) : m_dataSource(dataSource)
{
    m_dataSource.beginTrans();
    m_open = true;
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        m_dataSource.rollback();
    } catch (const DataError&) {
        // Nothing more can be done; the engine drops the transaction with the connection.
    }
}

void Transaction::commit()
{
    m_open = false;
    m_dataSource.commitTrans();
}

#pragma once

class OrvDataSource;

// A workspace transaction that rolls back unless committed: every table change
// made while it is open becomes durable together at commit(), or not at all.
class Transaction
{
public:
    explicit Transaction(OrvDataSource& dataSource);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Throws DataError when the commit fails; the changes are then rolled back.
    void commit();

private:
    OrvDataSource& m_dataSource;
    bool m_open = false;
};

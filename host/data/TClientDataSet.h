#pragma once

#include "DataPacket.h"
#include "PackedPacket.h"
#include "PackedRow.h"
#include "TField.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

enum class DataSetState { Inactive, Browse, Edit, Insert };

// In-memory table with a cursor, the platform's states and events, and a change log whose
// Delta the server applies. Events are std::function so that a before-event may throw: the
// operation is then abandoned and the data set left exactly as it was.
class TClientDataSet : public QObject {
    Q_OBJECT
public:
    using DataSetEvent = std::function<void(TClientDataSet&)>;

    explicit TClientDataSet(QObject* parent = nullptr);
    ~TClientDataSet() override;

    // Structure
    TField* AddField(const ciap::FieldDef& def); // before CreateDataSet/SetData
    void ClearFields();
    const std::vector<std::unique_ptr<TField>>& Fields() const { return m_fields; }
    int FieldCount() const;
    TField* FindField(const QString& name) const;   // case-insensitive; nullptr when absent
    TField* FieldByName(const QString& name) const; // throws EHostError when absent
    QList<ciap::FieldDef> FieldDefs() const;

    // Opening and closing
    void CreateDataSet();                         // opens empty with the declared fields
    void SetData(const ciap::DataPacket& packet); // replaces all rows; fields matched by name
    void SetData(ciap::DataPacket&& packet);
    // Rows packed for the packet's own fields are taken over as they are when the data set's
    // fields are those (and converted otherwise).
    void SetData(const PackedPacket& packet);
    void SetData(const QVariant& packet); // QVariant holding a DataPacket or a PackedPacket
    void Close();
    void EmptyDataSet(); // removes all rows, empties the log
    bool Active() const { return m_state != DataSetState::Inactive; }

    // State and cursor
    DataSetState State() const { return m_state; }
    bool IsEmpty() const;
    int RecordCount() const;
    int RecNo() const;        // 1-based; 0 when empty; -1 in insert state
    void SetRecNo(int recNo); // moves the cursor (implicit post/cancel first)
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const;
    bool Bof() const;
    bool Locate(const QString& fieldName, const QVariant& value, bool caseInsensitive);

    // Editing
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    bool Modified() const { return m_modified; }

    // Change log
    bool LogChanges = true;
    int ChangeCount() const;
    ciap::Delta Delta() const;
    QVariant DeltaVariant() const; // QVariant holding Delta(), for a server argument
    void MergeChangeLog();
    void CancelUpdates(); // back to the last merged state
    // Takes back the post that just ended (from its AfterPost, say, when the server refused
    // what it sent): the row is in insert or edit state again with the values it was posted
    // with, and the change log is as before the post, so the refused change is not sent
    // again with the next one. No events. False, changing nothing, when anything else
    // happened to the data set since the post.
    bool ReopenPost();

    // Direct row access for models: value of a field in a row (0-based), without moving.
    // Visible rows are the stored rows plus, in insert state, the pending row at currentRow().
    QVariant valueAt(int row, int fieldIndex) const;
    QVariant oldValueAt(int row, int fieldIndex) const; // as last merged; invalid for a new row
    int currentRow() const;      // 0-based index of the cursor row in the visible rows; -1
    int visibleRowCount() const; // RecordCount() plus the pending inserted row
    // Moves the cursor to a visible row the way SetRecNo does (implicit post/cancel, scroll
    // events); when the implicit post reloads the data set, the cursor stays where it is.
    void moveToRow(int row);
    std::size_t memoryUsage() const; // bytes held by the rows and the change log

    // While alive, field reads (Value, DisplayText, OnGetText handlers...) see the given
    // visible row instead of the cursor row, without moving the cursor or firing events: how
    // a grid draws every row through the fields' text handlers. Writes still go to the cursor.
    class DisplayRowScope final {
    public:
        DisplayRowScope(const TClientDataSet& dataSet, int row);
        ~DisplayRowScope();
        DisplayRowScope(const DisplayRowScope&) = delete;
        DisplayRowScope& operator=(const DisplayRowScope&) = delete;

    private:
        const TClientDataSet& m_dataSet;
        int m_previous;
    };

    // Events
    DataSetEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    DataSetEvent BeforeInsert, AfterInsert, OnNewRecord;
    DataSetEvent BeforeEdit, AfterEdit;
    DataSetEvent BeforePost, AfterPost;
    DataSetEvent BeforeCancel, AfterCancel;
    DataSetEvent BeforeDelete, AfterDelete;
    DataSetEvent BeforeScroll, AfterScroll;

Q_SIGNALS:
    void stateChanged();      // every change of State()
    void dataReset();         // rows replaced, opened, closed
    void rowChanged(int row); // values of one row changed
    void rowInserted(int row);
    void rowRemoved(int row);
    // Emitted right before the change, for item models that must announce it first.
    void aboutToReset();
    void rowAboutToBeInserted(int row);
    void rowAboutToBeRemoved(int row);
    void currentRowChanged(int row); // cursor moved

private:
    friend class TField;
    struct Private;
    QVariant fieldValue(int field) const; // current (or display) row; edit buffer when editing
    QVariant oldFieldValue(int field) const;
    void setFieldValue(int field, const QVariant& value);
    void checkActive() const;
    void checkBrowseMode();
    void beginInsert(bool append);
    void moveCursor(int row);
    int storedIndex(int visibleRow) const;
    void fire(const DataSetEvent& event);
    void replaceRows(QList<ciap::FieldDef> defs, bool fieldsFromPacket,
                     std::vector<PackedRow>&& rows);

    std::unique_ptr<Private> d;
    std::vector<std::unique_ptr<TField>> m_fields;
    DataSetState m_state = DataSetState::Inactive;
    bool m_modified = false;
};

#pragma once
// Datasets as windows see them: rows a grid shows (DataRows), the dataset component with its field
// and parameter definitions, and the persistent field components with their names and display
// labels.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/signal.h"
#include "core/weak.h"
#include "toolkit/collection.h"
#include "toolkit/component.h"

namespace lantervo {

// What a change of the rows touched: views redraw no more than they must.
enum RowChange : unsigned {
  rcCurrentRow = 1,  // the current row moved
  rcValues = 2,      // values (and so possibly the order) of rows changed
  rcRowCount = 4,    // rows came or went, or the rows were replaced as a whole
};
using RowChanges = unsigned;
constexpr RowChanges rcAll = rcCurrentRow | rcValues | rcRowCount;

// Rows in display order, a current row and a change signal that says what changed.
class DataRows : public Weakable {
 public:
  virtual ~DataRows() = default;
  virtual int RowCount() const = 0;
  virtual int CurrentIndex() const = 0;  // -1 when there are no rows
  virtual void MoveTo(int index) = 0;
  virtual std::string TextAt(int index, std::string_view field) const = 0;
  virtual bool BoolAt(int index, std::string_view field) const = 0;

  [[nodiscard]] Subscription Subscribe(std::function<void(RowChanges)> observer) {
    return changes_.Connect(std::move(observer));
  }

 protected:
  void NotifyObservers(RowChanges changes = rcAll) { changes_.Emit(changes); }

 private:
  Signal<RowChanges> changes_;
};

class TFieldDef : public CollectionItem {
  LANTERVO_CLASS()

 public:
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  std::int64_t DataType() const { return dataType_; }
  void SetDataType(std::int64_t type);
  std::int64_t Size() const { return size_; }
  void SetSize(std::int64_t size);

 private:
  std::string name_;
  std::int64_t dataType_ = 0;
  std::int64_t size_ = 0;
};

class TFieldDefs : public Collection {
  LANTERVO_CLASS()

 public:
  explicit TFieldDefs(Persistent* owner) : Collection(owner, "FieldDefs") {}
  TFieldDef& Add(const std::string& name, std::int64_t dataType, std::int64_t size = 0);
  TFieldDef* Find(std::string_view name) const;
};

enum ParamType : std::int64_t { ptUnknown = 0, ptInput = 1, ptOutput = 2, ptInputOutput = 3 };

class TParam : public CollectionItem {
  LANTERVO_CLASS()

 public:
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  std::int64_t GetParamType() const { return paramType_; }
  void SetParamType(std::int64_t type);
  const std::string& Value() const { return value_; }
  void SetValue(const std::string& value);

 private:
  std::string name_;
  std::int64_t paramType_ = ptUnknown;
  std::string value_;
};

class TParams : public Collection {
  LANTERVO_CLASS()

 public:
  explicit TParams(Persistent* owner) : Collection(owner, "Params") {}
  TParam& Add(const std::string& name, const std::string& value = {});
};

class TField;

// The dataset component of a window (the server table's setServer). The rows come from a
// DataRows source; "Rows" is notified whenever they change, and LastRowChanges says what
// that change touched.
class TClientDataSet : public Component {
  LANTERVO_CLASS()

 public:
  TClientDataSet();
  ~TClientDataSet() override;

  TFieldDefs* FieldDefs() const { return fieldDefs_.get(); }
  TParams* Params() const { return params_.get(); }
  bool Active() const { return Rows() != nullptr; }

  // Not owned; null detaches. Rows destroyed while attached read as detached.
  DataRows* Rows() const { return rows_.Get(); }
  void SetRows(DataRows* rows);
  RowChanges LastRowChanges() const { return lastRowChanges_; }
  const std::vector<TField*>& Fields() const { return fields_; }
  TField* FindField(std::string_view fieldName) const;  // case ignored

 private:
  friend class TField;
  std::unique_ptr<TFieldDefs> fieldDefs_;
  std::unique_ptr<TParams> params_;
  WeakRef<DataRows> rows_;
  Subscription rowsSubscription_;
  RowChanges lastRowChanges_ = rcAll;
  std::vector<TField*> fields_;
};

enum Alignment : std::int64_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

// A persistent field: the field name is the table's identifier; the display label is what
// people read (it is the field name until set).
class TField : public Component {
  LANTERVO_CLASS()

 public:
  ~TField() override;

  TClientDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TClientDataSet* dataSet);

  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(const std::string& name);
  std::string DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(const std::string& label);
  std::int64_t DisplayWidth() const {
    return displayWidth_ > 0 ? displayWidth_ : DefaultDisplayWidth();
  }
  void SetDisplayWidth(std::int64_t width);
  std::int64_t GetAlignment() const { return alignment_; }
  void SetAlignment(std::int64_t alignment);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  bool Required() const { return required_; }
  void SetRequired(bool required);
  const std::string& Origin() const { return origin_; }
  void SetOrigin(const std::string& v);
  const std::string& DefaultExpression() const { return defaultExpression_; }
  void SetDefaultExpression(const std::string& v);
  const std::string& KeyFields() const { return keyFields_; }
  void SetKeyFields(const std::string& v);
  const std::string& LookupKeyFields() const { return lookupKeyFields_; }
  void SetLookupKeyFields(const std::string& v);
  const std::string& LookupResultField() const { return lookupResultField_; }
  void SetLookupResultField(const std::string& v);

  // The field's text in a row of the dataset (empty without rows).
  std::string TextAt(int row) const;

 protected:
  virtual std::int64_t DefaultDisplayWidth() const { return 10; }
  void Notification(Component& removed) override;

 private:
  TClientDataSet* dataSet_ = nullptr;
  std::string fieldName_, displayLabel_;
  std::int64_t displayWidth_ = 0;
  std::int64_t alignment_ = taLeftJustify;
  bool visible_ = true, readOnly_ = false, required_ = false;
  std::string origin_, defaultExpression_, keyFields_, lookupKeyFields_, lookupResultField_;
};

class TStringField : public TField {
  LANTERVO_CLASS()

 public:
  std::int64_t Size() const { return size_; }
  void SetSize(std::int64_t size);

 protected:
  std::int64_t DefaultDisplayWidth() const override { return size_; }

 private:
  std::int64_t size_ = 20;
};

class TIntegerField : public TField {
  LANTERVO_CLASS()

 protected:
  std::int64_t DefaultDisplayWidth() const override { return 10; }
};

class TBooleanField : public TField {
  LANTERVO_CLASS()

 protected:
  std::int64_t DefaultDisplayWidth() const override { return 5; }
};

}  // namespace lantervo

#include "toolkit/dataset.h"

#include <algorithm>

#include "core/server_table.h"

namespace lantervo {

int DataRows::Subscribe(std::function<void(RowChanges)> observer) {
  const int id = next_++;
  observers_.emplace_back(id, std::move(observer));
  return id;
}

void DataRows::Unsubscribe(int subscription) {
  std::erase_if(observers_, [&](const auto& o) { return o.first == subscription; });
}

void DataRows::NotifyObservers(RowChanges changes) {
  const auto snapshot = observers_;
  for (const auto& o : snapshot) o.second(changes);
}

ServerTableRows::ServerTableRows(ServerTable& table)
    : table_(table), self_(std::make_shared<ServerTableRows*>(this)) {
  std::weak_ptr<ServerTableRows*> weak = self_;
  table_.AddObserver([weak](TableChanges table) {
    RowChanges changes = 0;
    if (table & tcCurrentRow) changes |= rcCurrentRow;
    if (table & tcValues) changes |= rcValues;
    if (table & tcRowCount) changes |= rcRowCount;
    if (auto self = weak.lock()) (*self)->NotifyObservers(changes);
  });
}

ServerTableRows::~ServerTableRows() = default;
int ServerTableRows::RowCount() const {
  return table_.IsOpen() ? table_.RowCount() : 0;
}
int ServerTableRows::CurrentIndex() const {
  return table_.IsOpen() ? table_.CurrentIndex() : -1;
}
void ServerTableRows::MoveTo(int index) {
  table_.MoveTo(index);
}
std::string ServerTableRows::TextAt(int index, std::string_view field) const {
  return table_.TextAt(index, field);
}
bool ServerTableRows::BoolAt(int index, std::string_view field) const {
  return table_.BoolAt(index, field);
}

const ClassInfo& TFieldDef::StaticClass() {
  using T = TFieldDef;
  static const ClassInfo named("TNamedItem", &CollectionItem::StaticClass(),
                               {props::Text<T>("Name", &T::Name, &T::SetName)});
  static const ClassInfo info("TFieldDef", &named,
                              {props::Other<T>("DataType", &T::DataType, &T::SetDataType),
                               props::Other<T>("Size", &T::Size, &T::SetSize)});
  return info;
}

void TFieldDef::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed("Name");
}

void TFieldDef::SetDataType(std::int64_t type) {
  if (type == dataType_) return;
  dataType_ = type;
  Changed("DataType");
}

void TFieldDef::SetSize(std::int64_t size) {
  if (size == size_) return;
  size_ = size;
  Changed("Size");
}

const ClassInfo& TFieldDefs::StaticClass() {
  static const ClassInfo owned("TOwnedCollection", &Collection::StaticClass());
  static const ClassInfo defs("TDefCollection", &owned);
  static const ClassInfo info("TFieldDefs", &defs);
  return info;
}

TFieldDef& TFieldDefs::Add(const std::string& name, std::int64_t dataType, std::int64_t size) {
  TFieldDef& def = Collection::Add<TFieldDef>();
  def.SetName(name);
  def.SetDataType(dataType);
  def.SetSize(size);
  return def;
}

TFieldDef* TFieldDefs::Find(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    auto* def = static_cast<TFieldDef*>(Item(i));
    if (SameText(def->Name(), name)) return def;
  }
  return nullptr;
}

const ClassInfo& TParam::StaticClass() {
  using T = TParam;
  static const ClassInfo info("TParam", &CollectionItem::StaticClass(),
                              {props::Text<T>("Name", &T::Name, &T::SetName),
                               props::Other<T>("ParamType", &T::GetParamType, &T::SetParamType),
                               props::Text<T>("Value", &T::Value, &T::SetValue)});
  return info;
}

void TParam::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed("Name");
}

void TParam::SetParamType(std::int64_t type) {
  if (type == paramType_) return;
  paramType_ = type;
  Changed("ParamType");
}

void TParam::SetValue(const std::string& value) {
  if (value == value_) return;
  value_ = value;
  Changed("Value");
}

const ClassInfo& TParams::StaticClass() {
  static const ClassInfo info("TParams", &Collection::StaticClass());
  return info;
}

TParam& TParams::Add(const std::string& name, const std::string& value) {
  TParam& param = Collection::Add<TParam>();
  param.SetName(name);
  param.SetValue(value);
  return param;
}

const ClassInfo& TClientDataSet::StaticClass() {
  using T = TClientDataSet;
  static const ClassInfo dataSet("TDataSet", &Component::StaticClass());
  static const ClassInfo custom("TCustomClientDataSet", &dataSet);
  static const ClassInfo info(
      "TClientDataSet", &custom,
      {props::Other<T>("Active", &T::Active), props::Object<T>("FieldDefs", &T::FieldDefs),
       props::Object<T>("Params", &T::Params)});
  return info;
}

TClientDataSet::TClientDataSet()
    : fieldDefs_(std::make_unique<TFieldDefs>(this)), params_(std::make_unique<TParams>(this)) {
  ForwardChanges(*fieldDefs_, "FieldDefs");
  ForwardChanges(*params_, "Params");
}

TClientDataSet::~TClientDataSet() {
  if (DataRows* rows = Rows()) rows->Unsubscribe(rowsSubscription_);
  for (TField* f : std::vector<TField*>(fields_)) f->SetDataSet(nullptr);
}

void TClientDataSet::SetRows(DataRows* rows) {
  if (rows == Rows()) return;
  if (DataRows* old = Rows()) old->Unsubscribe(rowsSubscription_);
  rows_ = rows;
  rowsAlive_ = rows ? rows->Liveness() : std::weak_ptr<const int>();
  if (rows_)
    rowsSubscription_ = rows_->Subscribe([this](RowChanges changes) {
      lastRowChanges_ = changes;
      Changed("Rows");
    });
  Changed("Active");
  lastRowChanges_ = rcAll;
  Changed("Rows");
}

TField* TClientDataSet::FindField(std::string_view fieldName) const {
  for (TField* f : fields_)
    if (SameText(f->FieldName(), fieldName)) return f;
  return nullptr;
}

const ClassInfo& TField::StaticClass() {
  using T = TField;
  static const ClassInfo info(
      "TField", &Component::StaticClass(),
      {props::Other<T>("Alignment", &T::GetAlignment, &T::SetAlignment),
       props::Text<T>("DefaultExpression", &T::DefaultExpression, &T::SetDefaultExpression),
       props::Text<T>("DisplayLabel", &T::DisplayLabel, &T::SetDisplayLabel),
       props::Other<T>("DisplayWidth", &T::DisplayWidth, &T::SetDisplayWidth),
       props::Text<T>("FieldName", &T::FieldName, &T::SetFieldName),
       props::Text<T>("KeyFields", &T::KeyFields, &T::SetKeyFields),
       props::Text<T>("LookupKeyFields", &T::LookupKeyFields, &T::SetLookupKeyFields),
       props::Text<T>("LookupResultField", &T::LookupResultField, &T::SetLookupResultField),
       props::Text<T>("Origin", &T::Origin, &T::SetOrigin),
       props::Other<T>("ReadOnly", &T::ReadOnly, &T::SetReadOnly),
       props::Other<T>("Required", &T::Required, &T::SetRequired),
       props::Other<T>("Visible", &T::Visible, &T::SetVisible)});
  return info;
}

TField::~TField() {
  SetDataSet(nullptr);
}

void TField::SetDataSet(TClientDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) {
    std::erase(dataSet_->fields_, this);
    RemoveFreeNotification(dataSet_);
  }
  dataSet_ = dataSet;
  if (dataSet_) {
    dataSet_->fields_.push_back(this);
    FreeNotification(dataSet_);
  }
}

void TField::Notification(Component& removed) {
  if (&removed == dataSet_) dataSet_ = nullptr;
}

#define LANTERVO_SET(field, name) \
  if (value == field) return;     \
  field = value;                  \
  Changed(name);

void TField::SetFieldName(const std::string& value) {
  LANTERVO_SET(fieldName_, "FieldName")
}
void TField::SetDisplayWidth(std::int64_t value) {
  LANTERVO_SET(displayWidth_, "DisplayWidth")
}
void TField::SetAlignment(std::int64_t value) {
  LANTERVO_SET(alignment_, "Alignment")
}
void TField::SetVisible(bool value) {
  LANTERVO_SET(visible_, "Visible")
}
void TField::SetReadOnly(bool value) {
  LANTERVO_SET(readOnly_, "ReadOnly")
}
void TField::SetRequired(bool value) {
  LANTERVO_SET(required_, "Required")
}
void TField::SetOrigin(const std::string& value) {
  LANTERVO_SET(origin_, "Origin")
}
void TField::SetDefaultExpression(const std::string& value) {
  LANTERVO_SET(defaultExpression_, "DefaultExpression")
}
void TField::SetKeyFields(const std::string& value) {
  LANTERVO_SET(keyFields_, "KeyFields")
}
void TField::SetLookupKeyFields(const std::string& value) {
  LANTERVO_SET(lookupKeyFields_, "LookupKeyFields")
}
void TField::SetLookupResultField(const std::string& value) {
  LANTERVO_SET(lookupResultField_, "LookupResultField")
}

#undef LANTERVO_SET

void TField::SetDisplayLabel(const std::string& label) {
  // Like the field name, an empty label means "show the field name".
  const std::string stored = label == fieldName_ ? std::string() : label;
  if (stored == displayLabel_) return;
  displayLabel_ = stored;
  Changed("DisplayLabel");
}

std::string TField::TextAt(int row) const {
  DataRows* rows = dataSet_ ? dataSet_->Rows() : nullptr;
  return rows ? rows->TextAt(row, fieldName_) : std::string();
}

const ClassInfo& TStringField::StaticClass() {
  static const ClassInfo info(
      "TStringField", &TField::StaticClass(),
      {props::Other<TStringField>("Size", &TStringField::Size, &TStringField::SetSize)});
  return info;
}

void TStringField::SetSize(std::int64_t size) {
  if (size == size_) return;
  size_ = size;
  Changed("Size");
}

const ClassInfo& TIntegerField::StaticClass() {
  static const ClassInfo numeric("TNumericField", &TField::StaticClass());
  static const ClassInfo info("TIntegerField", &numeric);
  return info;
}

const ClassInfo& TBooleanField::StaticClass() {
  static const ClassInfo info("TBooleanField", &TField::StaticClass());
  return info;
}

}  // namespace lantervo

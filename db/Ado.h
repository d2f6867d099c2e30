#pragma once
// Names of the ADO 2.5 numbering that the window and the providers share.

namespace db {

// SchemaEnum
inline constexpr long adSchemaTables = 20;

// ExecuteOptionEnum / CommandTypeEnum
inline constexpr long adOptionUnspecified = -1;
inline constexpr long adCmdText = 1;
inline constexpr long adExecuteNoRecords = 128;

// CursorTypeEnum
inline constexpr long adOpenUnspecified = -1;
inline constexpr long adOpenForwardOnly = 0;
inline constexpr long adOpenKeyset = 1;
inline constexpr long adOpenDynamic = 2;
inline constexpr long adOpenStatic = 3;

// LockTypeEnum
inline constexpr long adLockUnspecified = -1;
inline constexpr long adLockReadOnly = 1;
inline constexpr long adLockPessimistic = 2;
inline constexpr long adLockOptimistic = 3;
inline constexpr long adLockBatchOptimistic = 4;

// ObjectStateEnum
inline constexpr long adStateClosed = 0;
inline constexpr long adStateOpen = 1;

// PositionEnum: what AbsolutePosition gives off a row.
inline constexpr long adPosUnknown = -1;
inline constexpr long adPosBOF = -2;
inline constexpr long adPosEOF = -3;

// EditModeEnum
inline constexpr long adEditNone = 0;
inline constexpr long adEditInProgress = 1;

// FieldAttributeEnum
inline constexpr long adFldIsNullable = 0x20;
inline constexpr long adFldMayBeNull = 0x40;

// DataTypeEnum
enum DataType : int {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBoolean = 11,
  adVariant = 12,
  adDecimal = 14,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adUnsignedSmallInt = 18,
  adUnsignedInt = 19,
  adBigInt = 20,
  adUnsignedBigInt = 21,
  adGUID = 72,
  adBinary = 128,
  adChar = 129,
  adWChar = 130,
  adNumeric = 131,
  adDBDate = 133,
  adDBTime = 134,
  adDBTimeStamp = 135,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
  adLongVarBinary = 205,
};

// ErrorValueEnum: the layer's own failures.
inline constexpr long adErrInvalidArgument = 3001;
inline constexpr long adErrNoCurrentRecord = 3021;
inline constexpr long adErrIllegalOperation = 3219;
inline constexpr long adErrFeatureNotAvailable = 3251;
inline constexpr long adErrItemNotFound = 3265;
inline constexpr long adErrObjectInCollection = 3367;
inline constexpr long adErrObjectNotSet = 3420;
inline constexpr long adErrDataConversion = 3421;
inline constexpr long adErrObjectClosed = 3704;
inline constexpr long adErrObjectOpen = 3705;
inline constexpr long adErrProviderNotFound = 3706;
inline constexpr long adErrBoundToCommand = 3707;
inline constexpr long adErrInvalidParamInfo = 3708;
inline constexpr long adErrInvalidConnection = 3709;
inline constexpr long adErrStillExecuting = 3711;
inline constexpr long adErrCantChangeProvider = 3220;
// HRESULTs that ADO passes through for provider failures.
inline constexpr long adErrProviderFailed = -2147467259;       // E_FAIL
inline constexpr long adErrRowCannotBeLocated = -2147217864;   // DB_E_CHANGED... row changed since read
inline constexpr long adErrOperationCanceled = -2147217842;    // DB_E_CANCELED
inline constexpr long adErrTimeout = -2147217871;              // DB_E_ABORTLIMITREACHED (timeout)
inline constexpr long adErrNoCommand = -2147217908;            // DB_E_NOCOMMAND: no command text

}  // namespace db

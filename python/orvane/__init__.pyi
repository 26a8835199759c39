from os import PathLike
from typing import Any, Dict, Iterable, List, Mapping, Optional, Sequence, Tuple, Union, overload

PRESETS: Tuple[str, ...]

class Error(Exception):
    message: str
    status: int
    warnings: str
    file: Optional[str]
    line: Optional[int]
    def __init__(self, message: str, status: int = ..., warnings: str = ...) -> None: ...

Span = Mapping[str, Any]  # {"start": int, "end": int, "label": str}

Path = Union[str, PathLike]
Document = Union[Path, Tuple[str, str]]  # a file, or (name, text)

class _Scores:
    @property
    def summary(self) -> Dict[str, Any]: ...
    @property
    def per_type(self) -> List[Dict[str, Any]]: ...
    @property
    def confusion(self) -> List[Tuple[Optional[str], Optional[str], int]]: ...
    @property
    def outcomes(self) -> List[Dict[str, Any]]: ...
    @property
    def warnings(self) -> str: ...
    def agreement(self, expected_count: int = ..., open: bool = ...) -> Dict[str, float]: ...
    def classification_report(self) -> Dict[str, Dict[str, float]]: ...

class Result(_Scores):
    def report(self, details: bool = ..., with_corrects: bool = ..., confusion: bool = ...,
               agreement: bool = ..., expected_count: int = ..., open: bool = ...,
               table: bool = ..., credit: bool = ...) -> str: ...
    def to_dict(self, details: bool = ..., with_corrects: bool = ..., agreement: bool = ...,
                expected_count: int = ..., open: bool = ..., table: bool = ..., credit: bool = ...) -> Dict[str, Any]: ...

class CorpusResult(_Scores):
    @property
    def documents(self) -> List[Result]: ...
    def bootstrap(self, resamples: int = ..., seed: int = ...) -> Dict[str, Any]: ...
    def report(self, details: bool = ..., with_corrects: bool = ..., confusion: bool = ...,
               agreement: bool = ..., expected_count: int = ..., open: bool = ...,
               table: bool = ..., credit: bool = ..., per_document: bool = ..., bootstrap: int = ...,
               seed: int = ...) -> str: ...
    def to_dict(self, details: bool = ..., with_corrects: bool = ..., agreement: bool = ...,
                expected_count: int = ..., open: bool = ..., table: bool = ..., credit: bool = ...,
                per_document: bool = ..., bootstrap: int = ..., seed: int = ...) -> Dict[str, Any]: ...

class Comparison:
    @property
    def f_measure(self) -> Dict[str, float]: ...
    @property
    def slot_error_rate(self) -> Dict[str, float]: ...
    @property
    def per_type(self) -> List[Dict[str, Any]]: ...
    def report(self) -> str: ...
    def to_dict(self) -> Dict[str, Any]: ...

def evaluate(y_true: Iterable[Sequence[str]], y_pred: Iterable[Sequence[str]],
             preset: str = ..., scheme: str = ..., types: Optional[Sequence[str]] = ...,
             description: Optional[str] = ...,
             only_types: Optional[Sequence[str]] = ...) -> Result: ...

def evaluate_spans(y_true: Sequence[Sequence[Span]], y_pred: Sequence[Sequence[Span]],
                   texts: Optional[Sequence[str]] = ..., preset: str = ...,
                   types: Optional[Sequence[str]] = ...,
                   description: Optional[str] = ...,
             only_types: Optional[Sequence[str]] = ...) -> Result: ...

@overload
def evaluate_documents(reference: Path, hypothesis: Path,
                       description: Union[str, PathLike] = ..., format: str = ...,
                       scheme: str = ..., columns: Optional[Tuple[int, int]] = ...,
                       types: Optional[Sequence[str]] = ...,
                       reference_text: Optional[str] = ...,
                       hypothesis_text: Optional[str] = ...,
                       only_types: Optional[Sequence[str]] = ...,
                       annotators: Union[str, Tuple[str, str], None] = ...) -> Result: ...
@overload
def evaluate_documents(*, corpus: Union[Tuple[Path, Path], Iterable[Tuple[Document, Document]]],
                       description: Union[str, PathLike] = ..., format: str = ...,
                       scheme: str = ..., columns: Optional[Tuple[int, int]] = ...,
                       types: Optional[Sequence[str]] = ...,
                       threads: int = ..., only_types: Optional[Sequence[str]] = ...,
                       annotators: Union[str, Tuple[str, str], None] = ...) -> CorpusResult: ...

def compare(one: CorpusResult, two: CorpusResult, resamples: int = ...,
            seed: int = ..., table: bool = ...) -> Comparison: ...

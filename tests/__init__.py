"""The project's tests; a package so that the end-to-end harness is importable
as tests.e2e from the repository's root."""

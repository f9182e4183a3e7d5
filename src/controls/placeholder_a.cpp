// Replaced by the first control source.

// The layer's one source, which includes none of its headers.

// keys
